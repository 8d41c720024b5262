#pragma once
// Running ffmpeg as a child process.

#include <string>
#include <sys/types.h>
#include <vector>

// True when an executable ffmpeg is on the PATH.
bool FfmpegAvailable();

// Starts ffmpeg with these arguments (after the program name) and `input` as its standard
// input (-1: none). It runs in a process group of its own, so a Ctrl-C at the terminal
// reaches only the capture tool, which then ends the encoding itself. -1 when it could not
// be started.
pid_t StartFfmpeg(const std::vector<std::string>& arguments, int input);

// Waits for it to end; true when it ended with status 0.
bool FfmpegSucceeded(pid_t ffmpeg);

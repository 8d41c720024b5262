#pragma once
// The program: start-up, the frame loop on the music's clock, shutdown.

#include "demo/SceneTable.h"
#include "platform/win32/Windows.h"

#include <span>

// Builds the show (application, title, sound system, music stream, the scenes of the table
// in its order), plays it until the music leaves the timeline, the window is closed or a step
// fails, then releases everything. A failure is shown in a message box only after that.
// Returns 0 when the show ended or was closed, 1 after a failure. Runs on either host mode;
// "Data" is read from the working directory.
int RunDemo(std::span<const SceneEntry> scenes);

// The program's entry: RunDemo with the show's own scenes. The arguments are not used.
int WinMain(HINSTANCE instance, HINSTANCE previousInstance, char* commandLine, int showCommand);

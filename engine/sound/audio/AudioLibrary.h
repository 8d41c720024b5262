#pragma once
// The audio library the sound classes call, in its version-1 shape, over the host's sound
// output (AudioOutput.h: SDL2 audio, or Web Audio in the browser) and libmpg123 (decoding).
//
// Covered: one output device (the default), 16-bit stereo at the frequency given to
// BASS_Init; MP3 streams from a file or from memory, decoded gaplessly (encoder delay and
// padding are not part of the stream) with sample-exact positioning; play with restart and
// loop; channel flags, attributes (frequency read-only; volume and pan settable), positions in
// bytes of the stream's own decoded format; a pull interface for reading decoded data of a
// stream that is not playing; the last error number.
// Streams whose rate or layout differ from the output's are converted for output; their
// positions stay in their own bytes. Several playing streams are mixed.
// Not covered: samples, music modules, recording, 3D, effects, device selection, pausing a
// single channel.
//
// Positions while playing are what is being heard: bytes decoded and handed to the device
// minus the part of the device buffer still to be played, which is interpolated from the time
// since the device took it. They rise smoothly and never go back (except by a seek or a loop).
// A stream that does not loop plays on in silence after its end (cut short, damaged or simply
// short): its position goes on rising with the silence heard, so a show timed by the music
// never stops on one frame. BASS_ChannelIsActive turns false at the stream's length.
//
// Capture host (host::IsCapture()): no device is opened and nothing is played; a stream's
// position is the virtual time times its byte rate.
//
// Thread safety: call from one thread; the device callback runs on its own thread.

#include "platform/win32/Windows.h"

using HSTREAM = DWORD;

// Channel and stream-creation flags.
inline constexpr DWORD BASS_SAMPLE_8BITS = 1;     // 8-bit unsigned samples instead of 16-bit
inline constexpr DWORD BASS_SAMPLE_MONO = 2;      // one channel (a stereo file is mixed down)
inline constexpr DWORD BASS_SAMPLE_LOOP = 4;      // play flag: start again at the end
inline constexpr DWORD BASS_MP3_SETPOS = 0x20000; // exact positioning (always the case here)

// Error numbers of BASS_ErrorGetCode.
inline constexpr int BASS_OK = 0;
inline constexpr int BASS_ERROR_MEM = 1;
inline constexpr int BASS_ERROR_FILEOPEN = 2;
inline constexpr int BASS_ERROR_DRIVER = 3;
inline constexpr int BASS_ERROR_HANDLE = 5;
inline constexpr int BASS_ERROR_FORMAT = 6;
inline constexpr int BASS_ERROR_POSITION = 7;
inline constexpr int BASS_ERROR_INIT = 8;
inline constexpr int BASS_ERROR_ALREADY = 14;
inline constexpr int BASS_ERROR_ILLPARAM = 20;
inline constexpr int BASS_ERROR_DEVICE = 23;
inline constexpr int BASS_ERROR_NOTAVAIL = 37;
inline constexpr int BASS_ERROR_FILEFORM = 41;
inline constexpr int BASS_ERROR_UNKNOWN = -1;

// Error number of the last call (BASS_OK after a successful one).
int BASS_ErrorGetCode();

// device -1 is the default output; freq in Hz (8000 to 192000); flags and window are unused.
// Fails with BASS_ERROR_ALREADY when initialised, BASS_ERROR_DRIVER when no audio driver can
// be used, BASS_ERROR_DEVICE when the default device cannot be opened, BASS_ERROR_FORMAT for
// an unusable frequency.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND window);
// Starts (resumes) and stops (pauses) the output. BASS_Init leaves it stopped.
BOOL BASS_Start();
BOOL BASS_Stop();
// Closes the device and frees every stream.
void BASS_Free();

// mem false: `file` is a path ("Data\Demo.mp3"), read as the stream is decoded (never held
// in memory); `offset` bytes are skipped and `length` bytes used (0 = to the end). mem true: `file`
// points at `length` bytes (copied) and offset must be 0. flags: BASS_SAMPLE_MONO,
// BASS_SAMPLE_8BITS, BASS_MP3_SETPOS. Does not need BASS_Init. Returns 0 on failure
// (BASS_ERROR_FILEOPEN, BASS_ERROR_FILEFORM, BASS_ERROR_ILLPARAM, BASS_ERROR_MEM); a file that is
// not MPEG audio is BASS_ERROR_FILEFORM.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
// flush TRUE: discard what is buffered and start from the beginning; FALSE: carry on from
// the current position. flags: BASS_SAMPLE_LOOP. Needs BASS_Init.
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
void BASS_StreamFree(HSTREAM handle);
// Length in bytes of the stream's decoded output; 0xFFFFFFFF for a bad handle.
DWORD BASS_StreamGetLength(HSTREAM handle);

// BASS_SAMPLE_MONO, BASS_SAMPLE_8BITS, BASS_SAMPLE_LOOP (while playing with it) and the
// creation flags; 0xFFFFFFFF for a bad handle.
DWORD BASS_ChannelGetFlags(DWORD handle);
// frequency in Hz, volume 0..100, pan -100 (left) .. 100 (right); null outputs are skipped.
BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan);
// freq must be -1 (unchanged); volume -1 and pan -101 leave those unchanged.
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
BOOL BASS_ChannelIsActive(DWORD handle);
// Bytes of the stream's decoded output, block-aligned; beyond the length fails with
// BASS_ERROR_POSITION.
BOOL BASS_ChannelSetPosition(DWORD handle, DWORD pos);
// 0xFFFFFFFF for a bad handle.
DWORD BASS_ChannelGetPosition(DWORD handle);
// Reads up to `length` bytes of decoded output of a stream that is not playing, advancing its
// position. Returns the byte count (0 at the end) or 0xFFFFFFFF on failure.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);

// Number of streams currently allocated (for leak checks).
int BASS_StreamCount();

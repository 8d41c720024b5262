#pragma once
// Part of the SDL host (SdlHost.cpp): how the program ends when the user or the system ends it
// from outside, by an interrupt signal or by taking the display away (see Termination.cpp).
// Signals are watched from the start of the program.

namespace win32 {

// Once a window is open on a display: losing the connection ends the program at once.
void WatchDisplayConnection();
void NoteLiveWindows(int change);
void NoteMessageBox(bool showing);
// Called at every pump of the host's events, which marks the program as pumping; true once
// after an interrupt signal asked every window to close.
bool TakeCloseRequest();

} // namespace win32

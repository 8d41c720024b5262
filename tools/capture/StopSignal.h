#pragma once
// SIGINT and SIGTERM ask the capture to stop after the frame being drawn, so that what was
// captured so far is kept complete. A second signal ends the program at once.

// Installs the handlers; call before SDL starts, so SDL keeps its own away.
void CatchStopSignals();

// The signal that asked to stop, or 0.
int StopSignal();

const char* StopSignalName(int signal);

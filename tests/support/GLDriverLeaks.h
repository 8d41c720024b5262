#pragma once

// Keeps Mesa's EGL and software drivers mapped for the rest of the process. The offscreen
// window loads them and unloads them with the last window, before the leak check runs, which
// then cannot attribute their known leaks to them (tests/lsan.supp). Call it before the first
// window opens; calling it again does nothing.
void KeepGLDriverLoaded();

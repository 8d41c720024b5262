#pragma once
// Not Win32: which file CreateFileA opens for a path in the system's own form.

#include <string>

// "Data\Demo.mp3" -> "DATA/demo.mp3" when only that spelling exists: the slashes turned, each
// folder and the file matched ignoring case, as CreateFileA does. Empty when CreateFileA would
// fail.
std::string PathOpenedFor(const char* fileName);

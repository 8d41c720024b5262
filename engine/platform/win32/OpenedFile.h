#pragma once
// Not Win32: which file CreateFileA opens for a path in the system's own form.

#include <string>

// "Data\Demo.mp3" -> "Data/demo.mp3" when only that spelling exists: the slashes turned, the
// case-insensitive match applied, as CreateFileA does. Empty when CreateFileA would fail.
std::string PathOpenedFor(const char* fileName);

#pragma once
// The engine's only file reader: one file opened read-only through the Windows-services
// layer, read in exact byte counts.

#include "platform/win32/Windows.h"

#include <cstdint>

class FileReader {
  public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Opens an existing file (Windows-style path) for reading, closing any file held before.
    // 0 on success, -1 on failure.
    int Open(const char* path);

    // Reads exactly `bytes` bytes in one call. 0 on success; -1 when the read fails, returns
    // fewer bytes, or no file is open.
    int Read(void* destination, std::uint32_t bytes);

    // Closes the file if one is open. Safe to call any number of times.
    void Close();

    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle = INVALID_HANDLE_VALUE;
};

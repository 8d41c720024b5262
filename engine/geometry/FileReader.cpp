#include "geometry/FileReader.h"

FileReader::~FileReader() {
    Close();
}

int FileReader::Open(const char* path) {
    Close();
    // Read access only, so files without write permission load too.
    handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    return IsOpen() ? 0 : -1;
}

int FileReader::Read(void* destination, std::uint32_t bytes) {
    if (!IsOpen())
        return -1;
    DWORD bytesRead = 0;
    if (!ReadFile(handle, destination, bytes, &bytesRead, nullptr) || bytesRead != bytes)
        return -1;
    return 0;
}

void FileReader::Close() {
    if (IsOpen()) {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
}

#include "platform/win32/OpenedFile.h"
#include "platform/win32/Windows.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace {

struct OpenFile {
    int descriptor = -1;
};

// Handles handed out and not yet closed, so that a stale or foreign handle is refused
// instead of being dereferenced.
std::mutex filesMutex;
std::set<OpenFile*>& OpenFiles() {
    static std::set<OpenFile*> files;
    return files;
}

bool IsOpen(OpenFile* file) {
    std::lock_guard lock(filesMutex);
    return OpenFiles().count(file) != 0;
}

// Opens a regular file read-only; -1 when it is missing or not a regular file. Opening does
// not wait: a named pipe with no writer, a device or a folder is refused at once.
int OpenRegular(const std::string& path) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) {
        return -1;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        fcntl(descriptor, F_SETFL, 0) != 0) {
        close(descriptor);
        errno = EINVAL; // found, but not something to read
        return -1;
    }
    return descriptor;
}

// The entry of the folder whose name equals the wanted one ignoring case; when several do,
// the smallest in byte order, so the choice does not depend on the folder's order.
std::string FindIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (directory == nullptr) {
        return {};
    }
    std::string best;
    while (const dirent* entry = readdir(directory)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0 &&
            (best.empty() || entry->d_name < best)) {
            best = entry->d_name;
        }
    }
    closedir(directory);
    return best;
}

bool Exists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

// The path with slashes for backslashes and every component that is missing under its exact
// name replaced by the entry of its folder that differs only in case ("data\bol.MSH" finds
// Data/Bol.msh, as on Windows); empty when some component has no such entry.
std::string Resolve(LPCSTR fileName) {
    std::string path(fileName);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (Exists(path)) {
        return path;
    }
    std::string resolved;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        const std::string name = path.substr(start, end - start);
        if (name.empty() || name == "." || name == ".." || Exists(resolved + name)) {
            resolved += name;
        } else {
            const std::string match = FindIgnoringCase(resolved, name);
            if (match.empty()) {
                return {};
            }
            resolved += match;
        }
        if (slash == std::string::npos) {
            return resolved;
        }
        resolved += '/';
        start = slash + 1;
    }
}

} // namespace

std::string PathOpenedFor(const char* fileName) {
    if (fileName == nullptr || *fileName == '\0') {
        return {};
    }
    const std::string path = Resolve(fileName);
    struct stat status {};
    return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)
               ? path
               : std::string();
}

HANDLE CreateFileA(LPCSTR fileName, DWORD, DWORD, LPVOID, DWORD creationDisposition, DWORD,
                   HANDLE) {
    // Only existing files are opened, and always for reading alone, whatever access is asked.
    if (creationDisposition != OPEN_EXISTING) {
        return INVALID_HANDLE_VALUE;
    }
    const std::string path = PathOpenedFor(fileName);
    const int descriptor = path.empty() ? -1 : OpenRegular(path);
    if (descriptor < 0) {
        return INVALID_HANDLE_VALUE;
    }
    auto* file = new OpenFile{descriptor};
    std::lock_guard lock(filesMutex);
    OpenFiles().insert(file);
    return file;
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD bytesToRead, DWORD* bytesRead, LPVOID) {
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    auto* file = static_cast<OpenFile*>(handle);
    if (!IsOpen(file) || (buffer == nullptr && bytesToRead > 0)) {
        return FALSE;
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    DWORD done = 0;
    while (done < bytesToRead) {
        const ssize_t got = read(file->descriptor, bytes + done, bytesToRead - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<DWORD>(got);
    }
    if (bytesRead != nullptr) {
        *bytesRead = done;
    }
    return done == bytesToRead ? TRUE : FALSE; // a short read is a failure
}

BOOL GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size) {
    auto* file = static_cast<OpenFile*>(handle);
    struct stat status {};
    if (size == nullptr || !IsOpen(file) || fstat(file->descriptor, &status) != 0) {
        return FALSE;
    }
    size->QuadPart = static_cast<std::int64_t>(status.st_size);
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, LARGE_INTEGER* newPosition,
                      DWORD moveMethod) {
    auto* file = static_cast<OpenFile*>(handle);
    const int whence = moveMethod == FILE_BEGIN     ? SEEK_SET
                       : moveMethod == FILE_CURRENT ? SEEK_CUR
                       : moveMethod == FILE_END     ? SEEK_END
                                                    : -1;
    if (!IsOpen(file) || whence < 0) {
        return FALSE;
    }
    const off_t reached = lseek(file->descriptor, static_cast<off_t>(distance.QuadPart), whence);
    if (reached < 0) {
        return FALSE;
    }
    if (newPosition != nullptr) {
        newPosition->QuadPart = static_cast<std::int64_t>(reached);
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    auto* file = static_cast<OpenFile*>(handle);
    {
        std::lock_guard lock(filesMutex);
        if (OpenFiles().erase(file) == 0) {
            return FALSE;
        }
    }
    close(file->descriptor);
    delete file;
    return TRUE;
}

#pragma once
// The fuzz input is written to a real file so that it goes through the engine's own file
// reader, exactly as content from a Data folder would.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

inline const char* WriteFuzzInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        const char* folder = std::getenv("TMPDIR");
        std::string name = std::string(folder && *folder ? folder : "/tmp") + "/vellomire-fuzz-" +
                           std::to_string(getpid()) + ".bin";
        std::atexit([] { std::remove(path.c_str()); });
        return name;
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
    return path.c_str();
}

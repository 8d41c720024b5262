#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace content {

// One file of the Data folder: its name as the show reads it and how to make its bytes.
struct ContentFile {
    std::string name;
    std::function<std::vector<std::uint8_t>()> make;
};

// Every file the show reads. Fails (false, with a message) only when a font is missing.
bool ListContentFiles(std::vector<ContentFile>& files, std::string& error);

// Writes the listed files whose names are in `only` (all when `only` is empty) into `folder`,
// which must exist. Returns false with a message on the first failure.
bool WriteContentFiles(const std::vector<ContentFile>& files, const std::string& folder,
                       const std::vector<std::string>& only, std::string& error);

} // namespace content

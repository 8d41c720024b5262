#include "tools/capture/DataChecksum.h"

#include "tools/capture/Md5Hex.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

std::string DataFolderMd5(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code failed;
    for (const auto& entry : std::filesystem::directory_iterator(folder, failed)) {
        if (entry.is_regular_file(failed)) {
            files.push_back(entry.path());
        }
    }
    if (failed) {
        return {};
    }
    std::sort(files.begin(), files.end());
    md5_ctx md5;
    md5_init(&md5);
    std::vector<char> block(1 << 16);
    for (const auto& path : files) {
        const std::string name = path.filename().string();
        const std::string size = std::to_string(std::filesystem::file_size(path, failed));
        md5_update(&md5, name.size() + 1, reinterpret_cast<const std::uint8_t*>(name.c_str()));
        md5_update(&md5, size.size() + 1, reinterpret_cast<const std::uint8_t*>(size.c_str()));
        std::ifstream in(path, std::ios::binary);
        while (in) {
            in.read(block.data(), static_cast<std::streamsize>(block.size()));
            md5_update(&md5, static_cast<std::size_t>(in.gcount()),
                       reinterpret_cast<const std::uint8_t*>(block.data()));
        }
        if (failed || !in.eof()) {
            return {};
        }
    }
    return Md5Hex(md5);
}

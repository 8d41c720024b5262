#pragma once
// A file in the test's temporary folder, removed when the object goes away. The name gets the
// process id, since ctest runs the cases of one program in parallel processes.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

class TempFile {
  public:
    TempFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
        : path_(std::filesystem::path(testing::TempDir()) /
                (std::to_string(getpid()) + "-" + name)) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove(path_, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* Path() const { return path_.c_str(); }
    const std::filesystem::path& FsPath() const { return path_; }

  private:
    std::filesystem::path path_;
};

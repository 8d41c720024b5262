#include "demo/DataFolder.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool HasData(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder / "Data", error);
}

} // namespace

bool EnterDataFolder() {
    if (HasData(".")) {
        return true;
    }
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return false;
    }
    const fs::path folder = program.parent_path();
    for (const fs::path& candidate :
         {folder, folder.parent_path(), folder.parent_path().parent_path()}) {
        if (HasData(candidate)) {
            fs::current_path(candidate, error);
            return !error;
        }
    }
    return false;
}

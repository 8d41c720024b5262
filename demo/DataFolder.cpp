#include "demo/DataFolder.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The exact name first, as the file layer prefers it too.
std::string DataIn(const fs::path& place) {
    std::error_code error;
    if (fs::is_directory(place / "Data", error)) {
        return (place / "Data").string();
    }
    std::string best;
    for (fs::directory_iterator entry(place, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code notFolder;
        if (strcasecmp(name.c_str(), "data") == 0 && fs::is_directory(entry->path(), notFolder) &&
            (best.empty() || name < best)) {
            best = name;
        }
    }
    return best.empty() ? best : (place / best).string();
}

void AddOnce(std::vector<std::string>& places, const fs::path& place) {
    const std::string normal = place.lexically_normal().string();
    if (!place.empty() && std::find(places.begin(), places.end(), normal) == places.end()) {
        places.push_back(normal);
    }
}

} // namespace

std::string DataFolderSearch::Describe() const {
    if (Found()) {
        return "using the Data folder " + folder;
    }
    std::string text = "no Data folder in ";
    for (std::size_t i = 0; i < lookedIn.size(); ++i) {
        text += (i == 0 ? "" : ", ") + lookedIn[i];
    }
    return text;
}

DataFolderSearch FindDataFolder(const std::vector<std::string>& places) {
    DataFolderSearch search;
    for (const std::string& place : places) {
        search.lookedIn.push_back(place);
        search.folder = DataIn(place);
        if (search.Found()) {
            break;
        }
    }
    return search;
}

std::vector<std::string> DataFolderPlaces() {
    std::vector<std::string> places;
    std::error_code error;
    AddOnce(places, fs::current_path(error));
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    const fs::path folder = error ? fs::path() : program.parent_path();
    if (!folder.empty()) {
        AddOnce(places, folder);
        AddOnce(places, folder.parent_path());
        AddOnce(places, folder.parent_path().parent_path());
        AddOnce(places, folder.parent_path() / "share" / "vellomire");
    }
    AddOnce(places, VELLOMIRE_INSTALLED_DATA_PLACE);
    return places;
}

DataFolderSearch EnterDataFolder() {
    DataFolderSearch search = FindDataFolder(DataFolderPlaces());
    if (search.Found()) {
        std::error_code error;
        fs::current_path(fs::path(search.folder).parent_path(), error);
        if (error) {
            search.folder.clear();
        }
    }
    return search;
}

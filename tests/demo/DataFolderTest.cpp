#include "demo/DataFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Entry {
    int place;
    const char* name;
    bool folder;
};

TEST(DataFolderSearch, TheFirstPlaceWithAFolderNamedDataInAnyCaseIsChosen) {
    const struct {
        const char* what;
        std::vector<Entry> entries;
        int chosenPlace; // -1: none
        const char* chosenName;
    } cases[] = {
        {"the working directory first", {{0, "Data", true}, {1, "Data", true}}, 0, "Data"},
        {"a later place in capitals", {{1, "DATA", true}, {2, "Data", true}}, 1, "DATA"},
        {"the exact name before other cases", {{0, "data", true}, {0, "Data", true}}, 0, "Data"},
        {"a file is not the folder", {{0, "Data", false}, {2, "data", true}}, 2, "data"},
        {"none", {{0, "Dataset", true}, {1, "Data.zip", false}}, -1, ""},
    };
    const fs::path root =
        fs::temp_directory_path() / ("vellomire-data-" + std::to_string(getpid()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root);
        std::vector<std::string> places;
        for (const char* place : {"run", "bin", "share"}) {
            fs::create_directories(root / place);
            places.push_back((root / place).string());
        }
        for (const Entry& entry : c.entries) {
            const fs::path path = fs::path(places[entry.place]) / entry.name;
            if (entry.folder) {
                fs::create_directory(path);
            } else {
                std::ofstream(path) << "not a folder";
            }
        }
        const DataFolderSearch search = FindDataFolder(places);
        if (c.chosenPlace < 0) {
            EXPECT_FALSE(search.Found());
            EXPECT_EQ(search.lookedIn, places);
            EXPECT_EQ(search.Describe(),
                      "no Data folder in " + places[0] + ", " + places[1] + ", " + places[2]);
        } else {
            const std::string chosen = (fs::path(places[c.chosenPlace]) / c.chosenName).string();
            EXPECT_EQ(search.folder, chosen);
            EXPECT_EQ(search.lookedIn.size(), static_cast<std::size_t>(c.chosenPlace + 1));
            EXPECT_EQ(search.Describe(), "using the Data folder " + chosen);
        }
    }
    fs::remove_all(root);
}

} // namespace

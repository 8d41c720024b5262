#pragma once

#include <string>
#include <vector>

// Where the show's "Data" folder is looked for, in this order: the working directory (the show
// reads "Data\..." from there); the program's folder and the two above it (a build tree keeps
// the programs in build/demo/ and build/tools/capture/ and the content in build/Data/); the
// installed share folder, <prefix>/share/vellomire, first beside the program's prefix, then
// the one the build was configured for. The folder's name may be in any case (Data, DATA,
// data): the file layer matches paths ignoring case.
struct DataFolderSearch {
    std::string folder;                // the Data folder chosen, as found; empty when none is
    std::vector<std::string> lookedIn; // the places searched, in order, up to the chosen one
    bool Found() const { return !folder.empty(); }
    // "using the Data folder <folder>", or "no Data folder in <place>, <place>, ..."
    std::string Describe() const;
};

// The first of `places` holding a folder named data in any case (the smallest name in byte
// order when it holds several).
DataFolderSearch FindDataFolder(const std::vector<std::string>& places);

// The places listed above for this program, absolute, without repeats.
std::vector<std::string> DataFolderPlaces();

// Searches DataFolderPlaces() and makes the place where the folder was found the working
// directory; changes nothing when none has one.
DataFolderSearch EnterDataFolder();

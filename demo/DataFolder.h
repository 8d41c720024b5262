#pragma once

// Makes the working directory the one whose "Data" folder the show reads: the working
// directory itself when it has one, otherwise the executable's folder, otherwise that
// folder's parent (a build tree keeps the program in build/demo/ and the content in
// build/Data/). Returns false and changes nothing when none of them has a Data folder.
bool EnterDataFolder();

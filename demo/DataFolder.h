#pragma once

// Makes the working directory the one whose "Data" folder the show reads: the working
// directory itself when it has one, otherwise the executable's folder or one of the two above
// it (a build tree keeps the programs in build/demo/ and build/tools/capture/ and the content
// in build/Data/). Returns false and changes nothing when none of them has a Data folder.
bool EnterDataFolder();

#pragma once
// One MD5 over a Data folder, so a capture records which content it was made from: the
// files in name order, each as its name, a zero byte, its size in decimal, a zero byte and
// its bytes. Sub-folders are not part of the content.

#include <string>

// 32 lower-case hex digits; empty when a file cannot be read.
std::string DataFolderMd5(const std::string& folder);

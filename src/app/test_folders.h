#pragma once

#include <string>
#include <vector>

namespace tl {

// The results folder of each test of a testing program, in command-line
// order: the file's stem; where two files share a stem, the file's path as
// given, its extension dropped and its folders joined by "_". Every name is
// one safe folder name on any system, and no two are equal even where case
// does not count: a name already taken gets "-2", "-3", ... in command-line
// order.
std::vector<std::string> testFolderNames(const std::vector<std::string>& files);

// One file or folder name made safe: control characters and <>:"/\|?* become
// "_", as do a leading dot and a trailing dot or blank; a reserved device name
// of Windows or a summary file's name gets a "_" appended.
std::string safeFolderName(const std::string& name);

}  // namespace tl

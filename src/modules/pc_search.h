// Searches of a PC directory the way module folders are checked: wildcard patterns such as
// "*.mod" match file names without regard to letter case, so CHESS.MOD counts as a .mod file.
#pragma once

#include <string>
#include <vector>

// Names (not paths) of the regular files directly in dir that match pattern, sorted, and of the
// folders too when withFolders is set. A missing or unreadable directory gives an empty list.
std::vector<std::string> FindPcFiles(const std::string& dir, const std::string& pattern,
                                     bool withFolders = false);

// Joins a PC directory and a name with exactly one "/" between them.
std::string JoinPcPath(const std::string& dir, const std::string& name);

enum MifCount { mifCountNone, mifCountOne, mifCountMany };

// Counts the .mif entries in dir, a folder named like one included; with exactly one, its file name (extension included) goes to
// singleName when that is given.
MifCount CountMifFiles(const std::string& dir, std::string* singleName = nullptr);


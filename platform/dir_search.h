#pragma once

#include <string>
#include <vector>

namespace zl {

// The names (without directory) of the entries of one directory that match
// a wildcard pattern, in the order the system delivers them. In the pattern
// '?' stands for exactly one character and '*' for any run of characters;
// every other character stands for itself, case-sensitively on Linux.
// Entries of every kind count, directories included; "." and ".." never do.
// Empty when the directory cannot be read or nothing matches.
std::vector<std::string> SearchDirectory(const std::string& directory, const std::string& pattern);

}  // namespace zl

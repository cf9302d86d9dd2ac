#include <dirent.h>

#include <string>
#include <vector>

#include "platform/dir_search.h"

namespace zl {

namespace {

bool WildcardMatch(const char* pattern, const char* name) {
  // Iterative match with backtracking to the last '*'.
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name != '\0') {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || *pattern == *name) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') {
    ++pattern;
  }
  return *pattern == '\0';
}

}  // namespace

std::vector<std::string> SearchDirectory(const std::string& directory, const std::string& pattern) {
  std::vector<std::string> names;
  DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) {
    return names;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    if (WildcardMatch(pattern.c_str(), name.c_str())) {
      names.push_back(name);
    }
  }
  closedir(dir);
  return names;
}

}  // namespace zl

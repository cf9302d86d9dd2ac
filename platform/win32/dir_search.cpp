#include "platform/dir_search.h"

#include <windows.h>

#include <string>
#include <vector>

namespace zl {

// Matching follows the Windows file-name rules: case is ignored, and a '?'
// at the end of a name part also matches nothing, so "BASE.???" delivers
// BASE.12 as well. The callers check the extension themselves.
std::vector<std::string> SearchDirectory(const std::string& directory, const std::string& pattern) {
  std::vector<std::string> names;
  std::string query = directory;
  if (!query.empty() && query.back() != '\\' && query.back() != '/' && query.back() != ':') {
    query.push_back('\\');
  }
  query += pattern;

  WIN32_FIND_DATAA entry{};
  const HANDLE search = FindFirstFileA(query.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) {
    return names;
  }
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") {
      names.push_back(name);
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

}  // namespace zl

#include "platform/path.h"

namespace zl {

namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "\\/";
constexpr bool kHasDrives = true;
#else
constexpr const char* kSeparators = "/";
constexpr bool kHasDrives = false;
#endif

}  // namespace

PathParts SplitPath(const std::string& path) {
  PathParts parts;
  std::string rest = path;
  if (kHasDrives && rest.size() >= 2 && rest[1] == ':') {
    parts.drive = rest.substr(0, 2);
    rest.erase(0, 2);
  }
  const std::size_t separator = rest.find_last_of(kSeparators);
  if (separator != std::string::npos) {
    parts.directory = rest.substr(0, separator + 1);
    rest.erase(0, separator + 1);
  }
  const std::size_t dot = rest.rfind('.');
  if (dot != std::string::npos) {
    parts.extension = rest.substr(dot);
    rest.erase(dot);
  }
  parts.name = rest;
  return parts;
}

std::string JoinPath(const PathParts& parts) {
  std::string path = parts.drive + parts.directory + parts.name;
  if (!parts.extension.empty()) {
    if (parts.extension.front() != '.') {
      path.push_back('.');
    }
    path += parts.extension;
  }
  return path;
}

}  // namespace zl

#pragma once

#include <string>

namespace zl {

// A path taken apart: drive ("C:" on Windows, always empty elsewhere),
// directory with its trailing separator, file name, and extension with its
// leading dot. Joining the four parts gives the path back.
struct PathParts {
  std::string drive;
  std::string directory;
  std::string name;
  std::string extension;
};

PathParts SplitPath(const std::string& path);

// drive + directory + name + extension; a dot is put before an extension that
// does not begin with one.
std::string JoinPath(const PathParts& parts);

}  // namespace zl

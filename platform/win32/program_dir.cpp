#include "platform/program_dir.h"

#include <windows.h>

#include <string>

#include "platform/path.h"

namespace zl {

namespace {

std::string& DirectoryOverride() {
  static std::string directory;
  return directory;
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

}  // namespace

std::string ProgramDirectory() {
  if (!DirectoryOverride().empty()) {
    return DirectoryOverride();
  }
  // The executable's full path fits MAX_PATH characters with its terminator.
  // A path that does not fit comes back cut short; the directory of a cut
  // path would be the wrong one, so there is none then.
  char buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return {};
  }
  const PathParts parts = SplitPath(std::string(buffer, length));
  return parts.drive + parts.directory;
}

void SetProgramDirectory(const std::string& directory) {
  DirectoryOverride() = directory;
  if (!directory.empty() && !IsSeparator(directory.back())) {
    DirectoryOverride().push_back('\\');
  }
}

}  // namespace zl

#include "platform/program_dir.h"

#include <unistd.h>

#include <string>
#include <vector>

namespace zl {

namespace {

std::string& DirectoryOverride() {
  static std::string directory;
  return directory;
}

// The running executable's own path, from the process's executable link.
std::string ExecutablePath() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) {
      return {};
    }
    if (static_cast<std::size_t>(length) < buffer.size()) {
      return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
    buffer.resize(buffer.size() * 2);  // truncated: try again with more room
  }
}

}  // namespace

std::string ProgramDirectory() {
  if (!DirectoryOverride().empty()) {
    return DirectoryOverride();
  }
  const std::string path = ExecutablePath();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void SetProgramDirectory(const std::string& directory) {
  DirectoryOverride() = directory;
  if (!directory.empty() && directory.back() != '/') {
    DirectoryOverride().push_back('/');
  }
}

}  // namespace zl

#include "images/image_files.h"

#include "platform/dir_search.h"
#include "platform/path.h"
#include "platform/program_dir.h"

namespace zl {

namespace {

bool UsableVersion(std::uint16_t version) {
  return version >= 1 && version <= kMaxVersion;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The version carried by an extension of a dot and exactly three digits; 0
// for any other extension. The dot itself is not examined.
std::uint16_t ExtensionVersion(const std::string& extension) {
  if (extension.size() != 4 || !IsDigit(extension[1]) || !IsDigit(extension[2]) ||
      !IsDigit(extension[3])) {
    return 0;
  }
  return static_cast<std::uint16_t>((extension[1] - '0') * 100 + (extension[2] - '0') * 10 +
                                    (extension[3] - '0'));
}

std::string ThreeDigits(std::uint16_t version) {
  return {static_cast<char>('0' + version / 100), static_cast<char>('0' + version % 100 / 10),
          static_cast<char>('0' + version % 10)};
}

}  // namespace

std::uint16_t FindNewestVersion(const std::string& baseName) {
  const std::string directory = ProgramDirectory();
  if (directory.empty()) {
    return 0;
  }
  std::uint16_t newest = 0;
  for (const std::string& entry : SearchDirectory(directory, baseName + ".???")) {
    const std::uint16_t version = ExtensionVersion(SplitPath(entry).extension);
    if (UsableVersion(version) && version > newest) {
      newest = version;
    }
  }
  return newest;
}

std::string ImageFilePath(const std::string& baseName, std::uint16_t version) {
  if (!UsableVersion(version)) {
    return {};
  }
  const std::string directory = ProgramDirectory();
  if (directory.empty()) {
    return {};
  }
  PathParts parts = SplitPath(directory);
  parts.name = baseName;
  parts.extension = ThreeDigits(version);
  return JoinPath(parts);
}

std::string FormatVersion(std::uint16_t version) {
  if (!UsableVersion(version)) {
    return "unknown";
  }
  const std::string digits = ThreeDigits(version);
  return digits.substr(0, 1) + "." + digits.substr(1);
}

std::string FormatVersion3(std::uint16_t version) {
  return UsableVersion(version) ? ThreeDigits(version) : "000";
}

}  // namespace zl

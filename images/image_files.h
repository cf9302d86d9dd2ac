#pragma once

#include <cstdint>
#include <string>

namespace zl {

// Update files lie in the program directory and are named BASE.NNN, the
// three-digit extension being the image's version. Only versions 1 to 255
// can be used and shown; 0 means none.
inline constexpr const char* kFirmwareBaseName = "ZT7C32FW";
inline constexpr const char* kLogicBaseName = "C32JED20";
inline constexpr const char* kLogicVariantBaseName = "C32JED21";

inline constexpr std::uint16_t kMaxVersion = 255;

// The highest usable version (1 to 255) among the program directory's
// entries named BASE.NNN, or 0 when there is none. Higher numbers are passed
// over so that a stray file cannot hide a usable one.
std::uint16_t FindNewestVersion(const std::string& baseName);

// The full path of BASE.NNN in the program directory, or the empty text for
// a version of 0 or above 255.
std::string ImageFilePath(const std::string& baseName, std::uint16_t version);

// "1.15" for 115, "unknown" for 0 and above 255.
std::string FormatVersion(std::uint16_t version);

// "115" for 115, "000" for 0 and above 255.
std::string FormatVersion3(std::uint16_t version);

}  // namespace zl

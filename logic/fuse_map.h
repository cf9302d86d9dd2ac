#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace zl {

inline constexpr std::size_t kFuseRowCount = 134;
inline constexpr std::size_t kFuseRowChars = 240;

// The EPLD fuse map as read from a JEDEC file: 134 rows of 240 characters
// '0' or '1' in file order. The fuses stay characters because the loader
// sends and returns them as characters. The row count is fixed by the type;
// the rows are meaningful only after a successful ReadJedecFile.
using FuseMap = std::array<std::string, kFuseRowCount>;

}  // namespace zl

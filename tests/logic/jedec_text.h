#pragma once

#include <cstddef>
#include <string>

#include "logic/fuse_map.h"

namespace zl::test {

// Builders for small JEDEC texts. Fuse n of the map is '1' when n % 7 is 0
// or 3, so that every row differs from its neighbours and a row taken from
// the wrong place of the file shows.
inline char FuseAt(std::size_t n) {
  return (n % 7 == 0 || n % 7 == 3) ? '1' : '0';
}

inline std::string ExpectedRow(std::size_t row) {
  std::string text;
  for (std::size_t i = 0; i < kFuseRowChars; ++i) {
    text.push_back(FuseAt(row * kFuseRowChars + i));
  }
  return text;
}

inline FuseMap ExpectedFuseMap() {
  FuseMap fuses;
  for (std::size_t row = 0; row < kFuseRowCount; ++row) {
    fuses[row] = ExpectedRow(row);
  }
  return fuses;
}

// Rows `first` to `first + count - 1`, each written as lines of `perLine`
// fuse characters, every line followed by `suffix` and `eol`.
inline std::string FuseLines(std::size_t count, std::size_t perLine, const std::string& eol = "\n",
                             const std::string& suffix = "", std::size_t first = 0) {
  std::string text;
  for (std::size_t row = first; row < first + count; ++row) {
    const std::string fuses = ExpectedRow(row);
    for (std::size_t start = 0; start < fuses.size(); start += perLine) {
      text += fuses.substr(start, perLine) + suffix + eol;
    }
  }
  return text;
}

}  // namespace zl::test

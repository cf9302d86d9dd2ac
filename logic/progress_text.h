#pragma once

#include <cstddef>
#include <string>

#include "logic/fuse_map.h"

namespace zl {

// "<stage> ( N% )" for row `row`: the percentage is row * 100 / 134 with the
// remainder dropped, so the last row shows 99 and 100 never appears.
inline std::string RowProgressText(const char* stage, std::size_t row) {
  return std::string(stage) + " ( " + std::to_string(row * 100 / kFuseRowCount) + "% )";
}

}  // namespace zl

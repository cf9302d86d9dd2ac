#pragma once

#include <cstddef>
#include <string>

namespace zl {

inline constexpr std::size_t kUesBytes = 15;

// The 120-character bit form of a UES text: the codes of its first 15
// characters (0 where it is shorter), each as 8 characters '0'/'1', most
// significant bit first.
std::string UesToBitText(const std::string& uesText);

}  // namespace zl

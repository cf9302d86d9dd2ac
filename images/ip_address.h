#pragma once

#include <cstdint>
#include <string>

namespace zl {

inline constexpr std::uint32_t kInvalidIpAddress = 0xFFFFFFFF;

// The value of a dotted address "a.b.c.d", the first part in the most
// significant byte. Each part is zero to three decimal digits (an empty part
// is 0, leading zeros are allowed) with a value of at most 255; exactly four
// parts and nothing else. Any other text gives 0xFFFFFFFF, the same value as
// "255.255.255.255".
std::uint32_t ParseIpAddress(const std::string& text);

}  // namespace zl

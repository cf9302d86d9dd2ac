#pragma once

#include <cstdint>

namespace zl::sim {

// What a receiver set to another speed than the sender makes of a byte: a
// wrong value. The mapping is fixed so that runs repeat, and it never yields
// a DLE, STX or ETX, so garbled bytes never look like a frame.
inline std::uint8_t GarbleByte(std::uint8_t byte) {
  return static_cast<std::uint8_t>(0xE0u | (byte >> 3));
}

// Microseconds one byte takes on the line: 10 bits (start, 8 data, stop).
inline std::uint64_t ByteTimeUs(std::uint32_t speed) {
  return speed == 0 ? 0 : 10'000'000ull / speed;
}

}  // namespace zl::sim

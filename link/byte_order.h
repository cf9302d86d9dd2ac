#pragma once

#include <cstddef>
#include <cstdint>

namespace zl {

// Big-endian packers and readers. Each writes or reads a value at a position
// of a byte buffer, most significant byte first, and returns the position
// just after it. The caller guarantees the room.
inline std::size_t PutU8(std::uint8_t* buffer, std::size_t pos, std::uint8_t value) {
  buffer[pos] = value;
  return pos + 1;
}

inline std::size_t PutU16BE(std::uint8_t* buffer, std::size_t pos, std::uint16_t value) {
  buffer[pos] = static_cast<std::uint8_t>(value >> 8);
  buffer[pos + 1] = static_cast<std::uint8_t>(value);
  return pos + 2;
}

inline std::size_t PutU32BE(std::uint8_t* buffer, std::size_t pos, std::uint32_t value) {
  buffer[pos] = static_cast<std::uint8_t>(value >> 24);
  buffer[pos + 1] = static_cast<std::uint8_t>(value >> 16);
  buffer[pos + 2] = static_cast<std::uint8_t>(value >> 8);
  buffer[pos + 3] = static_cast<std::uint8_t>(value);
  return pos + 4;
}

inline std::size_t GetU8(const std::uint8_t* buffer, std::size_t pos, std::uint8_t& value) {
  value = buffer[pos];
  return pos + 1;
}

inline std::size_t GetU16BE(const std::uint8_t* buffer, std::size_t pos, std::uint16_t& value) {
  value = static_cast<std::uint16_t>((buffer[pos] << 8) | buffer[pos + 1]);
  return pos + 2;
}

inline std::size_t GetU32BE(const std::uint8_t* buffer, std::size_t pos, std::uint32_t& value) {
  value = (static_cast<std::uint32_t>(buffer[pos]) << 24) |
          (static_cast<std::uint32_t>(buffer[pos + 1]) << 16) |
          (static_cast<std::uint32_t>(buffer[pos + 2]) << 8) | buffer[pos + 3];
  return pos + 4;
}

}  // namespace zl

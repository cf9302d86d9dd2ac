#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zl::sim {

// One erase unit of the emulated flash.
struct FlashSector {
  std::uint32_t start;
  std::uint32_t size;
  bool writable;  // false for the sector that holds the boot loader itself
};

// The device's NOR flash: 1 MiB at 0x1000000, in sectors of unequal size.
// Erasing sets a whole sector to 0xFF. Programming can only clear bits: a
// byte that would need a 0 to become a 1 makes the whole request fail and
// nothing is written. Reads outside the flash fail.
class FlashModel {
 public:
  static constexpr std::uint32_t kBase = 0x1000000;
  static constexpr std::uint32_t kSize = 0x100000;

  FlashModel();

  // The sector map, in address order.
  static const std::vector<FlashSector>& Sectors();

  // The sector that begins exactly at `address`, if any.
  static std::optional<FlashSector> SectorAt(std::uint32_t address);

  // True when [address, address + length) lies inside the flash.
  static bool Contains(std::uint32_t address, std::size_t length);

  // False (and nothing changed) when `address` is not the start of a
  // writable sector.
  bool EraseSector(std::uint32_t address);

  // False (and nothing changed) when the range leaves the flash, touches the
  // loader's sector, or a byte would need a bit set that is clear.
  bool Program(std::uint32_t address, const std::uint8_t* data, std::size_t length);

  // False when the range leaves the flash.
  bool Read(std::uint32_t address, std::uint8_t* out, std::size_t length) const;

  // Every byte of the flash, for the state file.
  std::vector<std::uint8_t>& Bytes() { return bytes_; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace zl::sim

#include "sim/flash_model.h"

#include <algorithm>

namespace zl::sim {

FlashModel::FlashModel() : bytes_(kSize, 0xFF) {}

const std::vector<FlashSector>& FlashModel::Sectors() {
  // A bottom-boot layout: the loader's own 32 KiB, the two 16 KiB parameter
  // sectors (the network setup block lives in the first), one 192 KiB
  // sector, and the three 256 KiB sectors of the firmware area.
  static const std::vector<FlashSector> sectors = {
      {0x1000000, 0x08000, false}, {0x1008000, 0x04000, true}, {0x100C000, 0x04000, true},
      {0x1010000, 0x30000, true},  {0x1040000, 0x40000, true}, {0x1080000, 0x40000, true},
      {0x10C0000, 0x40000, true},
  };
  return sectors;
}

std::optional<FlashSector> FlashModel::SectorAt(std::uint32_t address) {
  for (const auto& s : Sectors()) {
    if (s.start == address) {
      return s;
    }
  }
  return std::nullopt;
}

bool FlashModel::Contains(std::uint32_t address, std::size_t length) {
  if (address < kBase) {
    return false;
  }
  const std::uint64_t offset = address - kBase;
  return offset + length <= kSize;
}

bool FlashModel::EraseSector(std::uint32_t address) {
  const auto sector = SectorAt(address);
  if (!sector || !sector->writable) {
    return false;
  }
  auto first = bytes_.begin() + (sector->start - kBase);
  std::fill(first, first + sector->size, 0xFF);
  return true;
}

bool FlashModel::Program(std::uint32_t address, const std::uint8_t* data, std::size_t length) {
  if (!Contains(address, length)) {
    return false;
  }
  const std::uint32_t loaderEnd = Sectors().front().start + Sectors().front().size;
  if (length > 0 && address < loaderEnd) {
    return false;
  }
  const std::size_t offset = address - kBase;
  for (std::size_t i = 0; i < length; ++i) {
    // Programming pulls bits to 0; a bit that is 0 can only come back by
    // erasing the sector.
    if ((bytes_[offset + i] & data[i]) != data[i]) {
      return false;
    }
  }
  std::copy(data, data + length, bytes_.begin() + offset);
  return true;
}

bool FlashModel::Read(std::uint32_t address, std::uint8_t* out, std::size_t length) const {
  if (!Contains(address, length)) {
    return false;
  }
  const auto first = bytes_.begin() + (address - kBase);
  std::copy(first, first + length, out);
  return true;
}

}  // namespace zl::sim

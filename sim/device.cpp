#include "sim/device.h"

#include <cstdio>

#include "sim/sample_content.h"

namespace zl::sim {

std::uint16_t FirmwareVersionOf(const FlashModel& flash) {
  std::uint8_t head[6];
  if (!flash.Read(kFirmwareArea, head, sizeof head)) {
    return 0;
  }
  for (int i = 0; i < 4; ++i) {
    if (head[i] != kValidityMarker[i]) {
      return 0;
    }
  }
  return static_cast<std::uint16_t>((head[4] << 8) | head[5]);
}

std::uint16_t LogicVersionOf(const EpldModel& epld) {
  const std::string& bits = epld.Ues();
  if (!IsBitText(bits, EpldModel::kUesLength)) {
    return 0;
  }
  std::uint16_t version = 0;
  for (std::size_t p = 7; p < 10; ++p) {
    int c = 0;
    for (std::size_t b = 0; b < 8; ++b) {
      c = (c << 1) | (bits[p * 8 + b] == '1' ? 1 : 0);
    }
    if (c < '0' || c > '9') {
      return 0;
    }
    version = static_cast<std::uint16_t>(version * 10 + (c - '0'));
  }
  return version;
}

std::string UesBitsOf(const std::string& text) {
  std::string bits;
  for (std::size_t p = 0; p < 15; ++p) {
    const auto c = p < text.size() ? static_cast<unsigned char>(text[p]) : 0u;
    for (int b = 7; b >= 0; --b) {
      bits.push_back(((c >> b) & 1u) != 0 ? '1' : '0');
    }
  }
  return bits;
}

std::string UesTextFor(std::uint16_t logicVersion) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%03u", static_cast<unsigned>(logicVersion % 1000));
  return std::string("B6001E0") + digits;
}

Device MakeFreshDevice(const DeviceConfig& config) {
  Device device;
  device.config = config;
  const auto firmware = FirmwareContent(kFactoryVersion);
  device.flash.Program(kFirmwareVersionAddress, firmware.data(), firmware.size());
  device.flash.Program(kFirmwareArea, kValidityMarker, sizeof kValidityMarker);
  const auto rows = FuseRows(LogicVariantFor(config.serialNumber), kFactoryVersion);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    device.epld.WriteRow(r, rows[r]);
  }
  device.epld.WriteUes(UesBitsOf(UesTextFor(kFactoryVersion)));
  return device;
}

}  // namespace zl::sim

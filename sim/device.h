#pragma once

#include <cstdint>
#include <string>

#include "sim/epld_model.h"
#include "sim/flash_model.h"

namespace zl::sim {

// Flash places the identity is read from.
inline constexpr std::uint32_t kSetupBlockAddress = 0x1008000;
inline constexpr std::uint32_t kFirmwareArea = 0x1040000;
// The firmware's 16-bit version (big-endian) follows the validity marker.
inline constexpr std::uint32_t kFirmwareVersionAddress = kFirmwareArea + 4;
inline constexpr std::uint8_t kValidityMarker[4] = {0xAA, 0x55, 0x55, 0xAA};

// What a device is made with; kept in the state file where it describes the
// device (serial number, loader version, device type).
struct DeviceConfig {
  std::string serialNumber = "12345678";  // 8 or 10 characters
  std::uint16_t loaderVersion = 110;
  std::uint8_t logicDeviceType = 19;
  std::uint32_t startSpeed = 9600;  // the loader's speed after reset
  // How long the device is busy before it answers, in milliseconds.
  std::uint32_t sectorEraseMs = 400;
  std::uint32_t programMs = 2;  // one program request
  std::uint32_t logicEraseMs = 200;
  std::uint32_t logicRowMs = 5;  // one row or the UES
};

// Everything the emulated device holds.
struct Device {
  DeviceConfig config;
  FlashModel flash;
  EpldModel epld;
  bool logicMode = false;
};

// The firmware version the loader reports: the 16-bit word after the
// validity marker, and 0 when the marker is not in place.
std::uint16_t FirmwareVersionOf(const FlashModel& flash);

// The logic version the loader reports: the UES bits read as 15 characters
// must carry three decimal digits at positions 7 to 9 (the signature text is
// "B6001E0" and the version's three digits); otherwise 0.
std::uint16_t LogicVersionOf(const EpldModel& epld);

// The signature bits of a text: 15 bytes (missing characters are 0), each
// from its most significant bit down, as '0'/'1'.
std::string UesBitsOf(const std::string& text);

// The signature text that carries a logic version.
std::string UesTextFor(std::uint16_t logicVersion);

// A device as it leaves the factory: firmware of version 100 and logic of
// version 100 (the variant its serial number selects), setup sector erased.
Device MakeFreshDevice(const DeviceConfig& config);

}  // namespace zl::sim

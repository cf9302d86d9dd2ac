#pragma once

#include <cstdint>
#include <string>

#include "link/loader_link.h"
#include "link/result_code.h"

namespace zl {

struct DeviceIdentity {
  std::uint16_t loaderVersion = 0;
  std::uint16_t firmwareVersion = 0;
  std::uint16_t logicVersion = 0;
  std::string serialNumber;
};

inline constexpr std::uint8_t kLogicDeviceType = 19;
inline constexpr std::size_t kFuseRowLength = 240;
inline constexpr std::size_t kUesBitLength = 120;

// The six managed flash sectors, in erase order.
inline constexpr std::uint32_t kSectorSetup = 0x1008000;
inline constexpr std::uint32_t kSectors[6] = {0x1008000, 0x100C000, 0x1010000,
                                              0x1040000, 0x1080000, 0x10C0000};

ResultCode LoaderIdentify(LoaderLink& link, DeviceIdentity& identity);
ResultCode LoaderReadMemory(LoaderLink& link, std::uint32_t address, std::uint16_t length,
                            std::uint8_t* destination);
ResultCode LoaderEraseSector(LoaderLink& link, std::uint32_t sectorAddress);
ResultCode LoaderProgramMemory(LoaderLink& link, std::uint32_t address, std::uint16_t length,
                               const std::uint8_t* data, std::uint32_t& value);
ResultCode LoaderLogicMode(LoaderLink& link, bool on);
ResultCode LoaderLogicReadId(LoaderLink& link, std::uint8_t& deviceType);
ResultCode LoaderLogicReadRow(LoaderLink& link, std::uint8_t row, std::string& programmed,
                              std::string& erased);
ResultCode LoaderLogicWriteRow(LoaderLink& link, std::uint8_t row, const std::string& fuseRow);
ResultCode LoaderLogicReadUes(LoaderLink& link, std::string& signature);
ResultCode LoaderLogicWriteUes(LoaderLink& link, const std::string& uesBits);
ResultCode LoaderLogicErase(LoaderLink& link);
ResultCode LoaderStartFirmware(LoaderLink& link);
ResultCode LoaderEraseAllSectors(LoaderLink& link);

}  // namespace zl

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/loader_link.h"
#include "link/result_code.h"

namespace zl {

// The network setup block in the device's flash: MAC address (a fixed prefix
// and three bytes from the serial number), 0xFF 0xFF, IP address, subnet
// mask, default gateway, a fourth address, and a zero-terminated setup text
// of at most 79 characters. The bytes after the text's zero byte are 0.
inline constexpr std::uint32_t kSetupBlockAddress = 0x1008000;
inline constexpr std::uint32_t kSetupSecondSector = 0x10C0000;
inline constexpr std::size_t kSetupBlockSize = 104;
inline constexpr std::size_t kSetupTextMax = 79;
inline constexpr std::uint8_t kMacPrefix[3] = {0x02, 0xF1, 0xA9};

using SetupBlock = std::array<std::uint8_t, kSetupBlockSize>;

// Builds the block. The serial number must hold at least five characters
// (a sixth missing one reads as code 0); a shorter one throws
// InvalidArgumentError. An address text that is not valid is stored as
// FF FF FF FF.
SetupBlock BuildSetupBlock(const std::string& serialNumber, const std::string& ip,
                           const std::string& subnetMask, const std::string& gateway,
                           const std::string& fourthAddress, const std::string& setupText);

// Reads the device's serial number, builds the block, erases the sectors
// 0x1008000 and 0x10C0000, programs the 104 bytes at 0x1008000 and reads
// them back. Returns 0 when the read-back is equal, -4008 when it differs,
// otherwise the code of the loader command that failed. A serial number too
// short for the block throws InvalidArgumentError before anything is erased.
ResultCode WriteSetupBlock(LoaderLink& link, const std::string& ip, const std::string& subnetMask,
                           const std::string& gateway, const std::string& fourthAddress,
                           const std::string& setupText);

}  // namespace zl

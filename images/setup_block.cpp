#include "images/setup_block.h"

#include <algorithm>

#include "images/checked_text.h"
#include "images/ip_address.h"
#include "link/byte_order.h"
#include "link/loader_commands.h"

namespace zl {

namespace {

constexpr std::size_t kTextOffset = 24;

// Two serial-number characters as one byte: (16 * a + b - 48) mod 256, which
// packs two decimal digits as BCD ("12" gives 0x12).
std::uint8_t SerialByte(const std::string& serialNumber, std::size_t position) {
  const auto high = static_cast<unsigned char>(CharAt(serialNumber, position));
  const auto low = static_cast<unsigned char>(CharAt(serialNumber, position + 1));
  return static_cast<std::uint8_t>(16u * high + low - 48u);
}

}  // namespace

SetupBlock BuildSetupBlock(const std::string& serialNumber, const std::string& ip,
                           const std::string& subnetMask, const std::string& gateway,
                           const std::string& fourthAddress, const std::string& setupText) {
  SetupBlock block{};
  std::size_t position = 0;
  for (const std::uint8_t byte : kMacPrefix) {
    position = PutU8(block.data(), position, byte);
  }
  for (std::size_t i = 0; i < 6; i += 2) {
    position = PutU8(block.data(), position, SerialByte(serialNumber, i));
  }
  position = PutU8(block.data(), position, 0xFF);
  position = PutU8(block.data(), position, 0xFF);
  for (const std::string* address : {&ip, &subnetMask, &gateway, &fourthAddress}) {
    position = PutU32BE(block.data(), position, ParseIpAddress(*address));
  }
  const std::size_t textLength = std::min(setupText.size(), kSetupTextMax);
  std::copy_n(setupText.begin(), textLength, block.begin() + kTextOffset);
  block[kTextOffset + textLength] = 0;
  return block;
}

ResultCode WriteSetupBlock(LoaderLink& link, const std::string& ip, const std::string& subnetMask,
                           const std::string& gateway, const std::string& fourthAddress,
                           const std::string& setupText) {
  DeviceIdentity identity;
  ResultCode result = LoaderIdentify(link, identity);
  if (result != kOk) {
    return result;
  }
  // Built before the erase, so that a serial number too short for the block
  // fails while the device's flash is still untouched.
  const SetupBlock block =
      BuildSetupBlock(identity.serialNumber, ip, subnetMask, gateway, fourthAddress, setupText);

  result = LoaderEraseSector(link, kSetupBlockAddress);
  if (result == kOk) {
    result = LoaderEraseSector(link, kSetupSecondSector);
  }
  if (result != kOk) {
    return result;
  }

  std::uint32_t unused = 0;
  result = LoaderProgramMemory(link, kSetupBlockAddress, kSetupBlockSize, block.data(), unused);
  if (result != kOk) {
    return result;
  }
  SetupBlock readBack{};
  result = LoaderReadMemory(link, kSetupBlockAddress, kSetupBlockSize, readBack.data());
  if (result != kOk) {
    return result;
  }
  return readBack == block ? kOk : kErrSetupVerify;
}

}  // namespace zl

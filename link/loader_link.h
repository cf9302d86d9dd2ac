#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/result_code.h"
#include "link/serial_port.h"

namespace zl {

inline constexpr std::size_t kLinkPayloadSize = 1500;
inline constexpr std::size_t kMaxRequestBody = 1498;

inline constexpr std::array<std::uint32_t, 5> kLinkSpeedTable = {9600, 19200, 38400, 57600,
                                                                 115200};

// The one connection to the boot loader. The application owns exactly one;
// tests make their own. The two command buffers belong to the loader
// commands, which share them.
struct LoaderLink {
  bool open = false;
  SerialPort port;
  std::uint8_t headerFlag = 0x10;
  std::uint8_t sequence = 0;
  // Set once the loader answered a request with a non-zero sequence number
  // by the same number. From then on an answer with another number is a
  // late one to an earlier request and is passed over.
  bool echoesSequence = false;
  std::array<std::uint8_t, kLinkPayloadSize> transmit{};
  std::array<std::uint8_t, kLinkPayloadSize> receive{};
  std::array<std::uint8_t, kLinkPayloadSize> request{};
  std::array<std::uint8_t, kLinkPayloadSize> response{};
};

ResultCode LinkOpen(LoaderLink& link, const std::string& deviceName, std::uint32_t speed);
void LinkClose(LoaderLink& link);
ResultCode LinkTransact(LoaderLink& link, std::uint32_t bodyLength, const std::uint8_t* body,
                        std::size_t capacity, std::uint8_t* response, std::uint32_t extraTimeMs);
ResultCode LinkNegotiateSpeed(SerialPort& port, std::uint32_t speed, std::uint8_t* receive);

// The per-byte response timeout of one transaction.
std::uint32_t LinkResponseTimeout(std::uint32_t bodyLength, std::uint32_t speed,
                                  std::uint32_t extraTimeMs);

// "\\.\COMn" for a 1-based port number.
std::string ComDeviceName(int portNumber);

}  // namespace zl

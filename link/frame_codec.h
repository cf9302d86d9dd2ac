#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/result_code.h"
#include "link/serial_port.h"

namespace zl {

inline constexpr std::uint8_t kDle = 0x10;
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;

// The frame for a payload: DLE STX, payload with DLE doubled, DLE ETX, XOR
// checksum (doubled if it is DLE). Shared with the emulated device.
std::vector<std::uint8_t> FrameEncode(const std::uint8_t* payload, std::size_t length);

// Assembles the frame and writes it in one PortWrite.
ResultCode FrameSend(SerialPort& port, const std::uint8_t* payload, std::size_t length);

// Hunts for and decodes one frame under a per-byte timeout. Returns the
// payload length or -1002, -1003, -1004, -1005, -1006.
ResultCode FrameReceive(SerialPort& port, std::size_t capacity, std::uint8_t* buffer,
                        std::uint32_t timeoutMs);

}  // namespace zl

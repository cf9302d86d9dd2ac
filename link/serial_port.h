#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "link/result_code.h"
#include "platform/clock.h"
#include "platform/serial_channel.h"

namespace zl {

enum class TraceDirection { kSent, kReceived };

// Called with every frame written (the bytes on the line) and every frame
// received (its payload), for the command line's --trace. Empty by default.
using FrameTrace = std::function<void(TraceDirection, const std::uint8_t*, std::size_t)>;

// The serial channel record. The channel stands for the OS handle; it is
// valid from a successful PortOpen until PortClose.
struct SerialPort {
  SerialChannel* channel = nullptr;
  Clock* clock = nullptr;
  std::uint32_t speed = 9600;  // the speed last requested
  FrameTrace trace;
};

ResultCode PortOpen(SerialPort& port, const std::string& deviceName);
ResultCode PortSetSpeed(SerialPort& port, std::uint32_t speed);
void PortPurgeInput(SerialPort& port);
ResultCode PortReadByte(SerialPort& port, std::uint8_t& byte, std::uint32_t timeoutMs);
ResultCode PortWrite(SerialPort& port, const std::uint8_t* data, std::size_t count);
void PortClose(SerialPort& port);

// A pause that spins on the tick count; wrap-around safe.
void BusyWait(Clock& clock, std::uint32_t milliseconds);

}  // namespace zl

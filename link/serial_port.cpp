#include "link/serial_port.h"

namespace zl {

ResultCode PortOpen(SerialPort& port, const std::string& deviceName) {
  if (port.channel == nullptr || !port.channel->Open(deviceName)) {
    return kErrPortOpen;
  }
  // The record holds 9600 from here on, even if configuring fails.
  port.speed = 9600;
  if (!port.channel->Configure()) {
    port.channel->Close();
    return kErrPortOpen;
  }
  return kOk;
}

ResultCode PortSetSpeed(SerialPort& port, std::uint32_t speed) {
  // Stored before the driver is asked, so the record holds the requested
  // speed even when the driver refuses it.
  port.speed = speed;
  return port.channel->SetSpeed(speed) ? kOk : kErrPortOpen;
}

void PortPurgeInput(SerialPort& port) {
  port.channel->PurgeInput();
}

ResultCode PortReadByte(SerialPort& port, std::uint8_t& byte, std::uint32_t timeoutMs) {
  if (port.channel->ReadByte(byte)) {
    return kOk;
  }
  // The deadline counts from the first unsuccessful attempt.
  const std::uint32_t start = port.clock->TickCount();
  for (;;) {
    if (!port.channel->ClearError()) {
      return kErrPortState;
    }
    if (static_cast<std::uint32_t>(port.clock->TickCount() - start) > timeoutMs) {
      return kErrTimeout;
    }
    if (port.channel->ReadByte(byte)) {
      return kOk;
    }
  }
}

ResultCode PortWrite(SerialPort& port, const std::uint8_t* data, std::size_t count) {
  std::size_t written = 0;
  if (port.channel->Write(data, count, written)) {
    return written == count ? kOk : kErrWrite;
  }
  port.channel->ClearError();
  return kErrWrite;
}

void PortClose(SerialPort& port) {
  port.channel->Close();
}

void BusyWait(Clock& clock, std::uint32_t milliseconds) {
  const std::uint32_t start = clock.TickCount();
  while (static_cast<std::uint32_t>(clock.TickCount() - start) < milliseconds) {
  }
}

}  // namespace zl

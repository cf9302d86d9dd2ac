#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/serial_channel.h"

namespace zl {

// Driver queue sizes given to SetupComm.
inline constexpr DWORD kInputQueueBytes = 1500;
inline constexpr DWORD kOutputQueueBytes = 4500;

// A one-byte read gives up after 10 ms + 100 ms; a write of n bytes after
// 10 ms per byte + 100 ms; a gap of 100 ms between bytes ends a read.
inline constexpr COMMTIMEOUTS kPortTimeouts = {100, 10, 100, 10, 100};

// The DCB flags word (fBinary .. fDummy2) after the line settings: bits 0,
// 6, 7 and 14 to 31 (fBinary, fDsrSensitivity, fTXContinueOnXoff,
// fAbortOnError and the reserved bits) are kept as the driver reported them,
// all others cleared (no parity check, no CTS/DSR/XON/XOFF flow, DTR and RTS
// disabled, no error or null character processing); then fBinary and
// fAbortOnError are set.
constexpr std::uint32_t LineSettingFlags(std::uint32_t flagsAsRead) {
  return (flagsAsRead & 0xFFFFC0C1u) | 0x4001u;
}

// Applies 9600 bit/s, 8 data bits, no parity, one stop bit and the flag
// settings above to a DCB read with GetCommState; every other field stays.
void ApplyLineSettings(DCB& dcb);

// The DCB's flags word as one number, and back.
std::uint32_t DcbFlags(const DCB& dcb);
void SetDcbFlags(DCB& dcb, std::uint32_t flags);

// Why CreateFileA failed, from its GetLastError value. The one place where
// Windows error numbers are interpreted.
OpenFailure OpenFailureFromError(DWORD error);

// The serial channel on the Win32 communications API: synchronous,
// non-overlapped I/O on a port opened exclusively.
class Win32SerialChannel final : public SerialChannel {
 public:
  Win32SerialChannel() = default;
  ~Win32SerialChannel() override;
  Win32SerialChannel(const Win32SerialChannel&) = delete;
  Win32SerialChannel& operator=(const Win32SerialChannel&) = delete;

  // "\\.\COMn" goes to CreateFileA as it is, a plain "COMn" with the
  // device-namespace prefix (PortDevicePath).
  bool Open(const std::string& device) override;
  bool Configure() override;
  bool SetSpeed(std::uint32_t bitsPerSecond) override;
  bool ReadByte(std::uint8_t& byte) override;
  bool Write(const std::uint8_t* data, std::size_t count, std::size_t& written) override;
  void PurgeInput() override;
  bool ClearError() override;
  void Close() override;
  OpenFailure LastOpenFailure() const override { return lastOpenFailure_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  OpenFailure lastOpenFailure_ = OpenFailure::kNone;
};

}  // namespace zl

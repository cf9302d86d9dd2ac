#include "platform/win32/win32_serial_channel.h"

#include <cstddef>
#include <cstring>
#include <limits>

#include "platform/port_names.h"

namespace zl {

namespace {

// The bit fields of a DCB occupy the one DWORD between BaudRate and
// wReserved; the flag operation works on that word as a whole.
constexpr std::size_t kFlagsOffset = offsetof(DCB, BaudRate) + sizeof(DWORD);
static_assert(offsetof(DCB, wReserved) == kFlagsOffset + sizeof(DWORD),
              "the DCB flags are expected to form one DWORD after BaudRate");

}  // namespace

std::uint32_t DcbFlags(const DCB& dcb) {
  std::uint32_t flags = 0;
  std::memcpy(&flags, reinterpret_cast<const unsigned char*>(&dcb) + kFlagsOffset, sizeof(flags));
  return flags;
}

void SetDcbFlags(DCB& dcb, std::uint32_t flags) {
  std::memcpy(reinterpret_cast<unsigned char*>(&dcb) + kFlagsOffset, &flags, sizeof(flags));
}

void ApplyLineSettings(DCB& dcb) {
  dcb.BaudRate = CBR_9600;
  SetDcbFlags(dcb, LineSettingFlags(DcbFlags(dcb)));
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
}

OpenFailure OpenFailureFromError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
      return OpenFailure::kMissing;
    // A COM port that another program holds answers ERROR_ACCESS_DENIED,
    // not ERROR_SHARING_VIOLATION: for a serial device both mean busy.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      return OpenFailure::kBusy;
    case ERROR_PRIVILEGE_NOT_HELD:
      return OpenFailure::kPermission;
    default:
      return OpenFailure::kOther;
  }
}

Win32SerialChannel::~Win32SerialChannel() {
  Close();
}

bool Win32SerialChannel::Open(const std::string& device) {
  if (handle_ != INVALID_HANDLE_VALUE) {
    lastOpenFailure_ = OpenFailure::kBusy;
    return false;
  }
  // Share mode 0: no other open of the port while this one lasts. No flags:
  // synchronous, non-overlapped I/O.
  const std::string name = PortDevicePath(device);
  const HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    lastOpenFailure_ = OpenFailureFromError(GetLastError());
    return false;
  }
  handle_ = handle;
  lastOpenFailure_ = OpenFailure::kNone;
  return true;
}

bool Win32SerialChannel::Configure() {
  // The properties are not used; a handle that is no serial port fails here
  // or at GetCommState.
  COMMPROP properties{};
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  COMMTIMEOUTS timeouts = kPortTimeouts;
  const bool ok = SetupComm(handle_, kInputQueueBytes, kOutputQueueBytes) &&
                  GetCommProperties(handle_, &properties) && GetCommState(handle_, &dcb);
  if (ok) {
    ApplyLineSettings(dcb);
    if (SetCommState(handle_, &dcb) && SetCommTimeouts(handle_, &timeouts)) {
      return true;
    }
  }
  lastOpenFailure_ = OpenFailure::kNotSerial;
  return false;
}

bool Win32SerialChannel::SetSpeed(std::uint32_t bitsPerSecond) {
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  if (!GetCommState(handle_, &dcb)) {
    return false;
  }
  dcb.BaudRate = bitsPerSecond;
  return SetCommState(handle_, &dcb) != FALSE;
}

bool Win32SerialChannel::ReadByte(std::uint8_t& byte) {
  DWORD received = 0;
  return ReadFile(handle_, &byte, 1, &received, nullptr) && received == 1;
}

bool Win32SerialChannel::Write(const std::uint8_t* data, std::size_t count, std::size_t& written) {
  written = 0;
  if (count > std::numeric_limits<DWORD>::max()) {
    return false;  // one call cannot take it; frames are far shorter
  }
  DWORD done = 0;
  const BOOL ok = WriteFile(handle_, data, static_cast<DWORD>(count), &done, nullptr);
  written = done;
  return ok != FALSE;
}

void Win32SerialChannel::PurgeInput() {
  PurgeComm(handle_, PURGE_RXCLEAR);
}

bool Win32SerialChannel::ClearError() {
  DWORD errors = 0;
  COMSTAT status{};
  return ClearCommError(handle_, &errors, &status) != FALSE;
}

void Win32SerialChannel::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) {
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
}

}  // namespace zl

#include "platform/system_serial.h"

#include "platform/win32/win32_serial_channel.h"

namespace zl {

// COM numbers need no mapping on Windows (see port_names.cpp), so the
// overrides are not used.
std::unique_ptr<SerialChannel> CreateSystemSerialChannel() {
  return std::make_unique<Win32SerialChannel>();
}

std::unique_ptr<SerialChannel> CreateSystemSerialChannel(const PortOverrides& /*overrides*/) {
  return std::make_unique<Win32SerialChannel>();
}

}  // namespace zl

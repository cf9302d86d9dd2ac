#include "platform/port_names.h"

#include <windows.h>

namespace zl {

// On Windows every COM number is a device of its own: "\\.\COMn" goes to the
// system as it is, and a plain "COMn" gets the device-namespace prefix, which
// COM10 and above need. The environment and the overrides map COM numbers to
// tty devices on other systems and play no part here.

namespace {

constexpr const char* kDevicePrefix = "\\\\.\\";

}  // namespace

std::string PortDevicePath(const std::string& name, const PortOverrides& /*overrides*/) {
  if (name.rfind(kDevicePrefix, 0) == 0 || ComPortNumber(name) <= 0) {
    return name;
  }
  return kDevicePrefix + name;
}

// A COM port exists when the system has a DOS device of that name.
bool PortDevicePresent(const std::string& comName, const std::string& /*path*/) {
  char target[MAX_PATH];
  return QueryDosDeviceA(comName.c_str(), target, MAX_PATH) != 0;
}

}  // namespace zl

#include "platform/port_names.h"

#include <windows.h>

#include <cctype>

namespace zl {

// On Windows every COM number is a device of its own: "\\.\COMn" goes to the
// system as it is, and a plain "COMn" gets the device-namespace prefix, which
// COM10 and above need. The environment and the overrides map COM numbers to
// tty devices on other systems and play no part here.

namespace {

constexpr int kListedPorts = 19;
constexpr const char* kDevicePrefix = "\\\\.\\";

}  // namespace

int ComPortNumber(const std::string& name) {
  std::string rest = name;
  if (rest.rfind(kDevicePrefix, 0) == 0) {
    rest.erase(0, 4);
  }
  if (rest.size() < 4 || rest.size() > 8) {
    return 0;
  }
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(rest[i])) != "COM"[i]) {
      return 0;
    }
  }
  int number = 0;
  for (std::size_t i = 3; i < rest.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(rest[i]))) {
      return 0;
    }
    number = number * 10 + (rest[i] - '0');
  }
  return number;
}

std::string PortDevicePath(const std::string& name) {
  return PortDevicePath(name, {});
}

std::string PortDevicePath(const std::string& name, const PortOverrides& /*overrides*/) {
  if (name.rfind(kDevicePrefix, 0) == 0 || ComPortNumber(name) <= 0) {
    return name;
  }
  return kDevicePrefix + name;
}

std::vector<PortListing> ListComPorts(const PortOverrides& overrides) {
  std::vector<PortListing> ports;
  for (int number = 1; number <= kListedPorts; ++number) {
    PortListing port;
    port.number = number;
    port.name = "COM" + std::to_string(number);
    port.path = PortDevicePath(port.name, overrides);
    // A COM port exists when the system has a DOS device of that name.
    char target[MAX_PATH];
    port.exists = QueryDosDeviceA(port.name.c_str(), target, MAX_PATH) != 0;
    ports.push_back(port);
  }
  return ports;
}

}  // namespace zl

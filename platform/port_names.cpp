#include "platform/port_names.h"

#include <cctype>

namespace zl {

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

std::vector<PortListing> ListComPorts(const PortOverrides& overrides) {
  std::vector<PortListing> ports;
  for (int number = 1; number <= kListedPorts; ++number) {
    PortListing port;
    port.number = number;
    port.name = "COM" + std::to_string(number);
    port.path = PortDevicePath(port.name, overrides);
    port.exists = PortDevicePresent(port.name, port.path);
    ports.push_back(port);
  }
  return ports;
}

}  // namespace zl

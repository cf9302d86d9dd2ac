#include "platform/port_names.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>

namespace zl {

namespace {

constexpr int kListedPorts = 19;

std::string ComName(int number) {
  return "COM" + std::to_string(number);
}

}  // namespace

int ComPortNumber(const std::string& name) {
  std::string rest = name;
  if (rest.rfind("\\\\.\\", 0) == 0) {
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

std::string PortDevicePath(const std::string& name, const PortOverrides& overrides) {
  const int number = ComPortNumber(name);
  if (number <= 0) {
    return name;
  }
  const std::string com = ComName(number);
  // The environment wins over the settings, so that a launcher (the demo, a
  // test) can point a COM number at its own device.
  if (const char* env = std::getenv(("ZETALINK_" + com).c_str()); env != nullptr && *env != '\0') {
    return env;
  }
  if (const auto it = overrides.find(com); it != overrides.end() && !it->second.empty()) {
    return it->second;
  }
  return "/dev/ttyS" + std::to_string(number - 1);
}

std::vector<PortListing> ListComPorts(const PortOverrides& overrides) {
  std::vector<PortListing> ports;
  for (int number = 1; number <= kListedPorts; ++number) {
    PortListing port;
    port.number = number;
    port.name = ComName(number);
    port.path = PortDevicePath(port.name, overrides);
    struct stat info {};
    port.exists = ::stat(port.path.c_str(), &info) == 0;
    ports.push_back(port);
  }
  return ports;
}

}  // namespace zl

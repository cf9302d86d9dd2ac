#include "platform/port_names.h"

#include <sys/stat.h>

#include <cstdlib>

namespace zl {

std::string PortDevicePath(const std::string& name, const PortOverrides& overrides) {
  const int number = ComPortNumber(name);
  if (number <= 0) {
    return name;
  }
  const std::string com = "COM" + std::to_string(number);
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

bool PortDevicePresent(const std::string& /*comName*/, const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace zl

#pragma once

#include <map>
#include <string>
#include <vector>

namespace zl {

// Device paths that stand behind COM numbers, keyed "COM1" to "COM19" (for
// example from the settings).
using PortOverrides = std::map<std::string, std::string>;

// The device path for a port name. "\\.\COMn" and "COMn" map to the value of
// the environment variable ZETALINK_COMn when it is set, else to the
// override for "COMn", else to the system's default device for that number.
// Any other name is already a path and is returned unchanged.
std::string PortDevicePath(const std::string& name);
std::string PortDevicePath(const std::string& name, const PortOverrides& overrides);

// The COM number in "\\.\COMn" or "COMn" (any letter case), 0 for any other
// name.
int ComPortNumber(const std::string& name);

struct PortListing {
  int number = 0;       // 1 to 19
  std::string name;     // "COMn"
  std::string path;     // the device behind it
  bool exists = false;  // whether that device is present
};

// COM1 to COM19 with the devices behind them.
std::vector<PortListing> ListComPorts(const PortOverrides& overrides = {});

// Whether the device behind a COM name is present on this system (one
// implementation per operating system).
bool PortDevicePresent(const std::string& comName, const std::string& path);

}  // namespace zl

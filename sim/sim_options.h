#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/device.h"
#include "sim/device_faults.h"

namespace zl::sim {

// What zeta7-sim was asked to do.
struct SimOptions {
  std::string tty;        // serve this tty instead of a new pseudo-terminal
  std::string stateFile;  // keep the device's memory here between runs
  bool log = false;       // one line per frame handled, on standard error
  bool pacing = true;     // 10 bits per byte at the line speed
  DeviceConfig config;
  // Identity options given on the command line win over the state file.
  std::optional<std::string> serialOverride;
  std::optional<std::uint16_t> loaderOverride;
  std::optional<std::uint8_t> deviceTypeOverride;
  DeviceFaults faults;
};

// Parses the command line. Returns -1 to go on, otherwise the exit status
// (0 after --help, 2 after a usage error, whose text is in `message`).
int ParseSimOptions(int argc, const char* const* argv, SimOptions& options, std::string& message);

}  // namespace zl::sim

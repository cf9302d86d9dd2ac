#pragma once

#include <cstdint>
#include <string>

namespace zl::sim {

// Creates a pseudo-terminal for the emulated device. Returns the master's
// descriptor (non-blocking) and the slave's path, or -1 with `error` set.
// The slave is left as the kernel made it; the tool configures it.
int OpenPseudoTerminal(std::string& slavePath, std::string& error);

// Opens an existing tty for the device's side, raw 8N1 without flow control,
// non-blocking, at `speed`. Returns -1 with `error` set on failure.
int OpenDeviceTty(const std::string& path, std::uint32_t speed, std::string& error);

// Sets the speed of a tty the device side owns (not a pseudo-terminal
// master: that would overwrite the tool's settings of the slave).
bool SetDeviceTtySpeed(int fd, std::uint32_t speed);

// The tool's side of a pseudo-terminal, read on the master (on Linux the
// master reports the slave's settings).
struct HostLineSettings {
  std::uint32_t speed = 0;  // 0 when unknown
  bool raw = false;         // no echo and no line editing: somebody configured the line
};
HostLineSettings ReadHostSettings(int masterFd);

}  // namespace zl::sim

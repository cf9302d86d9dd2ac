#pragma once

#include <string>
#include <vector>

namespace zl {

// The emulated device of the demo: the zeta7-sim program found in the
// program directory, serving a pseudo-terminal. While it runs, COM1 of this
// process stands for that pseudo-terminal (the ZETALINK_COM1 variable), so
// that the unchanged dialog logic reaches it as "\\.\COM1". The update files
// of the demo lie in the sample-images directory beside the programs.
//
// The emulator runs in its own process group, so that Ctrl-C on the terminal
// reaches only the tool, which then stops the emulator itself; it is also
// told to end when the tool's process dies.
class DemoDevice {
 public:
  DemoDevice() = default;
  ~DemoDevice();
  DemoDevice(const DemoDevice&) = delete;
  DemoDevice& operator=(const DemoDevice&) = delete;

  // Starts <programDir>/zeta7-sim with the given extra options and waits at
  // most timeoutMs for the pseudo-terminal path on its first output line.
  // On failure the emulator is not left running, COM1 is not changed and
  // `error` says what went wrong.
  bool Start(const std::string& programDir, const std::vector<std::string>& extraArgs,
             std::string& error, int timeoutMs = 5000);

  // Ends the emulator (SIGTERM; SIGKILL when it has not ended within a
  // second or two), reaps it and gives COM1 its earlier meaning back. Safe
  // to call when nothing runs.
  void Stop();

  bool Running() const { return pid_ > 0; }

  // The pseudo-terminal the emulator serves (empty when not running).
  const std::string& DevicePath() const { return devicePath_; }

  // The process id of the emulator, 0 when not running.
  int ProcessId() const { return pid_; }

 private:
  int pid_ = 0;
  int outputFd_ = -1;  // the emulator's standard output, kept open while it runs
  std::string devicePath_;
  bool hadCom1_ = false;
  std::string oldCom1_;
};

// <programDir>/sample-images: the update files the build generates.
std::string DemoImagesDirectory(const std::string& programDir);

// The name of the variable that points COM1 at the demo device.
inline constexpr const char* kDemoComVariable = "ZETALINK_COM1";

}  // namespace zl

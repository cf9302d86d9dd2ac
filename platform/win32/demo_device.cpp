#include "platform/demo_device.h"

namespace zl {

// The emulated device runs on a pseudo-terminal, which Windows does not
// have: on Windows the demo is not offered and a real device is needed.

DemoDevice::~DemoDevice() {
  Stop();
}

bool DemoDevice::Start(const std::string& /*programDir*/,
                       const std::vector<std::string>& /*extraArgs*/, std::string& error,
                       int /*timeoutMs*/) {
  error = "the demo device is not available on Windows; connect a Zeta7 to a COM port";
  return false;
}

// Nothing is ever started; the record is left in its not-running state.
void DemoDevice::Stop() {
  pid_ = 0;
  outputFd_ = -1;
  devicePath_.clear();
  hadCom1_ = false;
  oldCom1_.clear();
}

std::string DemoImagesDirectory(const std::string& programDir) {
  return programDir + "sample-images";
}

}  // namespace zl

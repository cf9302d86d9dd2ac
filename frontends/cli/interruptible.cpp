#include "frontends/cli/interruptible.h"

namespace zl {

bool InterruptibleChannel::Open(const std::string& device) {
  if (interrupted_()) {
    failure_ = OpenFailure::kOther;
    return false;
  }
  if (inner_.Open(device)) {
    failure_ = OpenFailure::kNone;
    everOpened_ = true;
    return true;
  }
  failure_ = inner_.LastOpenFailure();
  return false;
}

bool InterruptibleChannel::Write(const std::uint8_t* data, std::size_t count,
                                 std::size_t& written) {
  if (interrupted_()) {
    written = 0;
    return false;
  }
  return inner_.Write(data, count, written);
}

}  // namespace zl

#include "platform/system_serial.h"

#include "platform/posix/termios_channel.h"

namespace zl {

std::unique_ptr<SerialChannel> CreateSystemSerialChannel() {
  return std::make_unique<TermiosChannel>();
}

std::unique_ptr<SerialChannel> CreateSystemSerialChannel(const PortOverrides& overrides) {
  return std::make_unique<TermiosChannel>(overrides);
}

}  // namespace zl

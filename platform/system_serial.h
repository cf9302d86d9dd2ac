#pragma once

#include <memory>

#include "platform/port_names.h"
#include "platform/serial_channel.h"

namespace zl {

// The operating system's serial channel. Port names are mapped to devices as
// PortDevicePath describes, with the given overrides.
std::unique_ptr<SerialChannel> CreateSystemSerialChannel();
std::unique_ptr<SerialChannel> CreateSystemSerialChannel(const PortOverrides& overrides);

}  // namespace zl

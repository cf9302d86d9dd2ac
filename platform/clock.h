#pragma once

#include <cstdint>

namespace zl {

// The 32-bit millisecond tick count. It wraps around after about 49.7 days,
// so elapsed times are always unsigned 32-bit differences of two readings.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint32_t TickCount() = 0;
};

// The operating system's monotonic millisecond counter.
class SystemClock final : public Clock {
 public:
  std::uint32_t TickCount() override;
};

// The process-wide system clock, for the executables.
Clock& DefaultClock();

}  // namespace zl

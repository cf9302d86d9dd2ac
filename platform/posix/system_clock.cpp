#include <time.h>

#include "platform/clock.h"

namespace zl {

std::uint32_t SystemClock::TickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);  // wraps like the Windows tick count
}

Clock& DefaultClock() {
  static SystemClock clock;
  return clock;
}

}  // namespace zl

#include <windows.h>

#include "platform/clock.h"

namespace zl {

// Milliseconds since the system started; wraps after about 49.7 days.
std::uint32_t SystemClock::TickCount() {
  return GetTickCount();
}

Clock& DefaultClock() {
  static SystemClock clock;
  return clock;
}

}  // namespace zl

#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace zl::test {

// A clock that advances by a fixed step on every reading, so that timeouts
// and pauses cost no real time. Start it near 0xFFFFFFFF to test wrap-around.
class FakeClock final : public Clock {
 public:
  explicit FakeClock(std::uint32_t start = 0, std::uint32_t step = 1) : now_(start), step_(step) {}

  std::uint32_t TickCount() override {
    const std::uint32_t value = now_;
    now_ += step_;
    ++readings_;
    return value;
  }

  // Moves time forward without a reading, as a blocking platform read does.
  void Advance(std::uint32_t ms) { now_ += ms; }

  std::uint32_t Now() const { return now_; }
  std::uint64_t Readings() const { return readings_; }

 private:
  std::uint32_t now_;
  std::uint32_t step_;
  std::uint64_t readings_ = 0;
};

}  // namespace zl::test

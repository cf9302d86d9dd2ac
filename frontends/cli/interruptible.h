#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/clock.h"
#include "platform/serial_channel.h"

namespace zl {

// Once `interrupted` answers true, every operation on the line fails at
// once, so that a running workflow reaches its failure path quickly and the
// link gets closed; Close always reaches the real channel.
class InterruptibleChannel final : public SerialChannel {
 public:
  InterruptibleChannel(SerialChannel& inner, std::function<bool()> interrupted)
      : inner_(inner), interrupted_(std::move(interrupted)) {}

  bool Open(const std::string& device) override;
  bool Configure() override { return !interrupted_() && inner_.Configure(); }
  bool SetSpeed(std::uint32_t bitsPerSecond) override {
    return !interrupted_() && inner_.SetSpeed(bitsPerSecond);
  }
  bool ReadByte(std::uint8_t& byte) override { return !interrupted_() && inner_.ReadByte(byte); }
  bool Write(const std::uint8_t* data, std::size_t count, std::size_t& written) override;
  void PurgeInput() override { inner_.PurgeInput(); }
  bool ClearError() override { return !interrupted_() && inner_.ClearError(); }
  void Close() override { inner_.Close(); }
  OpenFailure LastOpenFailure() const override { return failure_; }

  // Whether any Open succeeded during the run.
  bool EverOpened() const { return everOpened_; }

 private:
  SerialChannel& inner_;
  std::function<bool()> interrupted_;
  OpenFailure failure_ = OpenFailure::kNone;
  bool everOpened_ = false;
};

// A clock that, once `interrupted` answers true, leaps a minute ahead on
// every reading, so that busy waits and timeouts of the link end at once.
class InterruptibleClock final : public Clock {
 public:
  InterruptibleClock(Clock& inner, std::function<bool()> interrupted)
      : inner_(inner), interrupted_(std::move(interrupted)) {}

  std::uint32_t TickCount() override {
    if (interrupted_())
      leap_ += 60000;
    return inner_.TickCount() + leap_;
  }

 private:
  Clock& inner_;
  std::function<bool()> interrupted_;
  std::uint32_t leap_ = 0;
};

}  // namespace zl

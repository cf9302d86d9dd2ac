#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/serial_channel.h"
#include "tests/support/fake_clock.h"

namespace zl::test {

// A serial channel that plays a script instead of a line. Input is a queue
// of bytes, silences and failed reads; a silent read advances the fake clock
// by the platform read time, as a blocking read would. Every write is
// recorded, every call logged, and any call can be made to fail. An optional
// responder sees each write and may queue the answer.
class ScriptedChannel : public SerialChannel {
 public:
  static constexpr std::uint32_t kReadTimeMs = 110;

  enum class InputKind { kByte, kSilence, kReadError };
  struct Input {
    InputKind kind;
    std::uint8_t byte;
  };

  explicit ScriptedChannel(FakeClock& clock) : clock_(clock) {}

  // --- script -----------------------------------------------------------
  void QueueBytes(const std::vector<std::uint8_t>& bytes) {
    for (const std::uint8_t b : bytes)
      input.push_back({InputKind::kByte, b});
  }
  // `reads` platform reads that time out without a byte.
  void QueueSilence(int reads = 1) {
    for (int i = 0; i < reads; ++i)
      input.push_back({InputKind::kSilence, 0});
  }
  // A read that fails at once (a line error the driver reports).
  void QueueReadError() { input.push_back({InputKind::kReadError, 0}); }

  // --- failures ---------------------------------------------------------
  bool failOpen = false;
  bool failConfigure = false;
  std::set<std::uint32_t> refusedSpeeds;
  bool failWrite = false;
  std::size_t writeLimit = static_cast<std::size_t>(-1);  // bytes the driver takes per write
  bool failClearError = false;
  OpenFailure openFailure = OpenFailure::kBusy;

  // Sees every write (the bytes the driver took) and may queue an answer.
  std::function<void(ScriptedChannel&, const std::vector<std::uint8_t>&)> responder;

  // --- what happened ----------------------------------------------------
  std::deque<Input> input;
  std::vector<std::vector<std::uint8_t>> writes;
  std::vector<std::string> calls;  // "open <name>", "configure", "speed N", "write", "purge", ...
  std::vector<std::uint32_t> speeds;  // every speed asked for, refused ones included
  std::uint32_t speed = 0;            // the speed the line runs at
  bool isOpen = false;
  int reads = 0;
  int clearErrors = 0;
  int purges = 0;
  std::string openedName;

  // --- SerialChannel ----------------------------------------------------
  bool Open(const std::string& device) override {
    calls.push_back("open " + device);
    if (failOpen || isOpen)
      return false;
    isOpen = true;
    openedName = device;
    return true;
  }
  bool Configure() override {
    calls.push_back("configure");
    if (failConfigure)
      return false;
    speed = 9600;
    return true;
  }
  bool SetSpeed(std::uint32_t bitsPerSecond) override {
    calls.push_back("speed " + std::to_string(bitsPerSecond));
    speeds.push_back(bitsPerSecond);
    if (refusedSpeeds.count(bitsPerSecond) != 0)
      return false;
    speed = bitsPerSecond;
    return true;
  }
  bool ReadByte(std::uint8_t& byte) override {
    ++reads;
    if (input.empty()) {
      clock_.Advance(kReadTimeMs);
      return false;
    }
    const Input next = input.front();
    input.pop_front();
    switch (next.kind) {
      case InputKind::kByte:
        byte = next.byte;
        return true;
      case InputKind::kSilence:
        clock_.Advance(kReadTimeMs);
        return false;
      case InputKind::kReadError:
        return false;
    }
    return false;
  }
  bool Write(const std::uint8_t* data, std::size_t count, std::size_t& written) override {
    calls.push_back("write");
    written = 0;
    if (failWrite)
      return false;
    written = count < writeLimit ? count : writeLimit;
    writes.emplace_back(data, data + written);
    if (responder)
      responder(*this, writes.back());
    return true;
  }
  void PurgeInput() override {
    calls.push_back("purge");
    ++purges;
    input.clear();
  }
  bool ClearError() override {
    ++clearErrors;
    return !failClearError;
  }
  void Close() override {
    calls.push_back("close");
    isOpen = false;
  }
  OpenFailure LastOpenFailure() const override { return openFailure; }

 private:
  FakeClock& clock_;
};

}  // namespace zl::test

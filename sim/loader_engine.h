#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sim/device.h"
#include "sim/device_faults.h"
#include "sim/frame_decoder.h"

namespace zl::sim {

// Bytes the device sends in one go, after being busy for `delayMs` from the
// moment the request's last byte arrived.
struct Emission {
  std::uint32_t delayMs = 0;
  std::vector<std::uint8_t> bytes;
  std::uint32_t speed = 9600;  // the line speed the bytes go out at
};

// The emulated boot loader's protocol engine, independent of time and
// transport: bytes come in one at a time with the speed they were sent at,
// answers go out as emissions that the transport delivers.
//
// Link control (header flag clear): the probe 00 01 01 is answered with the
// same three bytes; the speed message 00 05 03 <u32> is answered with
// 00 05 03 <u32 new speed> at the old speed, after which the loader runs at
// the new speed. Command frames (header flag set) carry one command each;
// the answer has the request's sequence number, the flag and the length.
//
// While the programming mode of the logic device is off, the commands 'j'
// to 'p' are answered with their code and the status byte 0xFF and change
// nothing. After 'q' with a valid firmware in flash the firmware runs: the
// device then ignores frames until the wake-up bytes DB DE arrive at its
// speed, which restart the loader at its start speed.
class LoaderEngine {
 public:
  explicit LoaderEngine(Device device, DeviceFaults faults = {});

  // One byte as it arrived, sent at `hostSpeed`. Answers go to `out`.
  void Receive(std::uint8_t byte, std::uint32_t hostSpeed, std::vector<Emission>& out);

  // The speed the loader currently receives and sends at.
  std::uint32_t Speed() const { return speed_; }

  // True once the hang-up fault struck: nothing is received or sent again
  // until Replug().
  bool HungUp() const { return hungUp_; }
  void Replug();

  bool FirmwareRunning() const { return firmwareRunning_; }

  Device& device() { return device_; }
  const Device& device() const { return device_; }
  DeviceFaults& faults() { return faults_; }

  // How often each command code was handled.
  std::uint32_t CommandCount(char code) const;
  // Command answers prepared so far (the numbers the faults refer to).
  std::uint32_t ResponseCount() const { return responses_; }
  // Frames the receiver dropped as malformed.
  std::uint32_t RejectedFrames() const { return decoder_.Rejected(); }

  // True when flash, logic or identity changed since the last ClearDirty().
  bool Dirty() const { return dirty_; }
  void ClearDirty() { dirty_ = false; }

  // One line per frame handled (for zeta7-sim --log).
  void SetLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }

 private:
  void HandleFrame(const std::vector<std::uint8_t>& payload, std::vector<Emission>& out);
  void HandleLinkControl(const std::vector<std::uint8_t>& body, std::vector<Emission>& out);
  // Returns the answer body and sets the busy time; empty means no answer.
  std::vector<std::uint8_t> HandleCommand(const std::vector<std::uint8_t>& body,
                                          std::uint32_t& busyMs, std::string& note);
  void Log(const std::string& line);

  Device device_;
  DeviceFaults faults_;
  FrameDecoder decoder_;
  std::uint32_t speed_;
  bool hungUp_ = false;
  bool firmwareRunning_ = false;
  bool dirty_ = false;
  std::uint8_t previous_ = 0;
  std::uint64_t received_ = 0;
  std::uint32_t responses_ = 0;
  std::uint32_t echoedIdentify_ = 0;
  std::map<char, std::uint32_t> commandCounts_;
  std::function<void(const std::string&)> log_;
};

}  // namespace zl::sim

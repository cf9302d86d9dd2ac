#include "tests/support/virtual_wire.h"

#include "sim/line_speed.h"

namespace zl::test {

namespace {
constexpr std::uint32_t kPlatformReadMs = 110;
}

VirtualWire::VirtualWire(FakeClock& clock, const sim::DeviceConfig& config,
                         sim::DeviceFaults faults)
    : VirtualWire(clock, sim::MakeFreshDevice(config), std::move(faults)) {}

VirtualWire::VirtualWire(FakeClock& clock, sim::Device device, sim::DeviceFaults faults)
    : clock_(clock), engine_(std::move(device), std::move(faults)), deviceLineFree_(clock.Now()) {}

void VirtualWire::Attach(SerialPort& port) {
  port.channel = this;
  port.clock = &clock_;
}

void VirtualWire::Unplug() {
  unplugged_ = true;
  toHost_.clear();
}

void VirtualWire::Replug() {
  unplugged_ = false;
  engine_.Replug();
}

std::uint32_t VirtualWire::Offset(std::uint64_t byteIndex, std::uint32_t speed) const {
  if (!pacing) {
    return 0;
  }
  // Whole milliseconds, rounded up, after which byte `byteIndex` (from 0)
  // has been completely sent.
  return static_cast<std::uint32_t>(((byteIndex + 1) * sim::ByteTimeUs(speed) + 999) / 1000);
}

bool VirtualWire::Open(const std::string&) {
  if (unplugged_) {
    lastOpenFailure_ = OpenFailure::kMissing;
    return false;
  }
  if (open_) {
    lastOpenFailure_ = OpenFailure::kBusy;
    return false;
  }
  if (portFaults.failOpen) {
    lastOpenFailure_ = portFaults.openFailure;
    return false;
  }
  // What arrived while nobody held the port is gone.
  while (!toHost_.empty() && Reached(clock_.Now(), toHost_.front().readyAt)) {
    toHost_.pop_front();
  }
  open_ = true;
  ++opens_;
  lastOpenFailure_ = OpenFailure::kNone;
  return true;
}

bool VirtualWire::Configure() {
  if (Dead() || portFaults.failConfigure) {
    return false;
  }
  hostSpeed_ = 9600;
  return true;
}

bool VirtualWire::SetSpeed(std::uint32_t bitsPerSecond) {
  if (Dead() || (portFaults.refuseSpeedAbove && bitsPerSecond > *portFaults.refuseSpeedAbove)) {
    return false;
  }
  hostSpeed_ = bitsPerSecond;
  speedsSet_.push_back(bitsPerSecond);
  return true;
}

bool VirtualWire::ReadByte(std::uint8_t& byte) {
  if (Dead()) {
    // A vanished device fails every read at once.
    clock_.Advance(1);
    return false;
  }
  if (toHost_.empty() || !Reached(clock_.Now() + kPlatformReadMs, toHost_.front().readyAt)) {
    clock_.Advance(kPlatformReadMs);
    return false;
  }
  const LineByte next = toHost_.front();
  toHost_.pop_front();
  if (!Reached(clock_.Now(), next.readyAt)) {
    clock_.Advance(next.readyAt - clock_.Now());
  }
  byte = next.speed == hostSpeed_ ? next.value : sim::GarbleByte(next.value);
  return true;
}

bool VirtualWire::Write(const std::uint8_t* data, std::size_t count, std::size_t& written) {
  written = 0;
  if (Dead() || portFaults.failWrite) {
    return false;
  }
  const std::size_t take =
      portFaults.writeLimit && *portFaults.writeLimit < count ? *portFaults.writeLimit : count;
  const std::uint32_t start = clock_.Now();
  std::vector<sim::Emission> answers;
  for (std::size_t i = 0; i < take; ++i) {
    written_.push_back(data[i]);
    const std::uint32_t arrival = start + Offset(i, hostSpeed_);
    answers.clear();
    engine_.Receive(data[i], hostSpeed_, answers);
    if (engine_.HungUp()) {
      toHost_.clear();
      return false;
    }
    ++written;
    for (const auto& answer : answers) {
      if (answer.bytes.empty()) {
        continue;
      }
      std::uint32_t begin = arrival + answer.delayMs;
      if (!Reached(begin, deviceLineFree_)) {
        begin = deviceLineFree_;
      }
      for (std::size_t j = 0; j < answer.bytes.size(); ++j) {
        toHost_.push_back({answer.bytes[j], answer.speed, begin + Offset(j, answer.speed)});
      }
      deviceLineFree_ = begin + Offset(answer.bytes.size() - 1, answer.speed);
    }
  }
  return true;
}

void VirtualWire::PurgeInput() {
  // Only what has arrived is discarded; bytes still on the line come later.
  while (!toHost_.empty() && Reached(clock_.Now(), toHost_.front().readyAt)) {
    toHost_.pop_front();
  }
}

bool VirtualWire::ClearError() {
  return !Dead();
}

void VirtualWire::Close() {
  open_ = false;
}

}  // namespace zl::test

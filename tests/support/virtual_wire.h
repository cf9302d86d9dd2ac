#pragma once

// An in-process serial line from the tool's port operations to the emulated
// boot loader, on the fake clock. Typical use:
//
//   zl::test::FakeClock clock;
//   zl::test::VirtualWire wire(clock);            // a factory-fresh device
//   zl::LoaderLink link;
//   wire.Attach(link.port);                       // channel and clock
//   ASSERT_EQ(zl::LinkOpen(link, "\\\\.\\COM1", 115200), zl::kOk);
//   wire.faults().failEraseSectors.insert(0x1080000);   // device faults
//   wire.portFaults.refuseSpeedAbove = 57600;           // host port faults
//   wire.device().flash / wire.device().epld            // inspect the models
//
// Time: a read that finds no byte advances the clock by 110 ms, like the
// blocking platform read; a byte still on its way is delivered by advancing
// the clock to its arrival. Bytes travel at 10 bits per byte at the speed
// they were sent at (unless pacing is off), and the device's erase and
// program times delay its answers, so timeouts behave as on a real line.
// Bytes sent at a speed other than the receiver's arrive garbled.
// Unplug() (or the device's hang-up fault) makes every later call fail.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "platform/serial_channel.h"
#include "sim/device.h"
#include "sim/device_faults.h"
#include "sim/loader_engine.h"
#include "tests/support/fake_clock.h"

namespace zl::test {

// Faults of the host's side of the line.
struct PortFaults {
  bool failOpen = false;
  OpenFailure openFailure = OpenFailure::kBusy;  // reported when failOpen is set
  bool failConfigure = false;
  std::optional<std::uint32_t> refuseSpeedAbove;  // SetSpeed fails above this speed
  bool failWrite = false;
  std::optional<std::size_t> writeLimit;  // a write takes at most this many bytes
};

class VirtualWire final : public SerialChannel {
 public:
  explicit VirtualWire(FakeClock& clock, const sim::DeviceConfig& config = {},
                       sim::DeviceFaults faults = {});
  VirtualWire(FakeClock& clock, sim::Device device, sim::DeviceFaults faults = {});

  // Points a port record at this wire and its clock.
  void Attach(SerialPort& port);

  sim::LoaderEngine& engine() { return engine_; }
  sim::Device& device() { return engine_.device(); }
  sim::DeviceFaults& faults() { return engine_.faults(); }

  PortFaults portFaults;
  bool pacing = true;  // 10 bits per byte at the line speed

  // The adapter is pulled out: reads, writes, speed changes, clearing the
  // error state and opening fail until Replug().
  void Unplug();
  void Replug();
  bool Dead() const { return unplugged_ || engine_.HungUp(); }

  bool IsOpen() const { return open_; }
  std::uint32_t HostSpeed() const { return hostSpeed_; }
  std::uint32_t OpenCount() const { return opens_; }
  // Every byte the host wrote, and every speed it set, in order.
  const std::vector<std::uint8_t>& Written() const { return written_; }
  const std::vector<std::uint32_t>& SpeedsSet() const { return speedsSet_; }
  // Bytes still travelling to the host or waiting in its receive queue.
  std::size_t PendingToHost() const { return toHost_.size(); }

  // SerialChannel
  bool Open(const std::string& device) override;
  bool Configure() override;
  bool SetSpeed(std::uint32_t bitsPerSecond) override;
  bool ReadByte(std::uint8_t& byte) override;
  bool Write(const std::uint8_t* data, std::size_t count, std::size_t& written) override;
  void PurgeInput() override;
  bool ClearError() override;
  void Close() override;
  OpenFailure LastOpenFailure() const override { return lastOpenFailure_; }

 private:
  struct LineByte {
    std::uint8_t value;
    std::uint32_t speed;
    std::uint32_t readyAt;  // fake-clock millisecond of arrival
  };
  static bool Reached(std::uint32_t now, std::uint32_t at) {
    return static_cast<std::int32_t>(now - at) >= 0;
  }
  std::uint32_t Offset(std::uint64_t byteIndex, std::uint32_t speed) const;

  FakeClock& clock_;
  sim::LoaderEngine engine_;
  std::deque<LineByte> toHost_;
  std::uint32_t deviceLineFree_ = 0;  // when the device's transmitter is idle again
  bool open_ = false;
  bool unplugged_ = false;
  std::uint32_t hostSpeed_ = 9600;
  std::uint32_t opens_ = 0;
  OpenFailure lastOpenFailure_ = OpenFailure::kNone;
  std::vector<std::uint8_t> written_;
  std::vector<std::uint32_t> speedsSet_;
};

}  // namespace zl::test

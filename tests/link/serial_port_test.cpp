#include "link/serial_port.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fake_clock.h"
#include "tests/support/scripted_channel.h"

namespace zl {
namespace {

using test::FakeClock;
using test::ScriptedChannel;

class SerialPortTest : public ::testing::Test {
 protected:
  SerialPortTest() {
    port.channel = &channel;
    port.clock = &clock;
  }

  FakeClock clock{1000};
  ScriptedChannel channel{clock};
  SerialPort port;
};

TEST_F(SerialPortTest, OpenConfiguresAtNineThousandSixHundred) {
  port.speed = 57600;
  ASSERT_EQ(PortOpen(port, "\\\\.\\COM3"), kOk);
  EXPECT_EQ(port.speed, 9600u);
  EXPECT_EQ(channel.openedName, "\\\\.\\COM3");
  EXPECT_EQ(channel.calls, (std::vector<std::string>{"open \\\\.\\COM3", "configure"}));
}

TEST_F(SerialPortTest, OpenThatCannotBeOpenedLeavesTheRecordAlone) {
  port.speed = 57600;
  channel.failOpen = true;
  EXPECT_EQ(PortOpen(port, "\\\\.\\COM1"), kErrPortOpen);
  EXPECT_EQ(port.speed, 57600u);
  EXPECT_EQ(channel.calls, (std::vector<std::string>{"open \\\\.\\COM1"}));
}

TEST_F(SerialPortTest, OpenThatCannotBeConfiguredClosesTheHandleAgain) {
  channel.failConfigure = true;
  EXPECT_EQ(PortOpen(port, "\\\\.\\COM1"), kErrPortOpen);
  EXPECT_FALSE(channel.isOpen);
  EXPECT_EQ(channel.calls.back(), "close");
}

TEST_F(SerialPortTest, RefusedSpeedFailsButIsRecorded) {
  ASSERT_EQ(PortOpen(port, "COM1"), kOk);
  channel.refusedSpeeds = {115200};
  EXPECT_EQ(PortSetSpeed(port, 115200), kErrPortOpen);
  EXPECT_EQ(port.speed, 115200u);
  EXPECT_EQ(PortSetSpeed(port, 57600), kOk);
  EXPECT_EQ(port.speed, 57600u);
  EXPECT_EQ(channel.speed, 57600u);
}

TEST_F(SerialPortTest, WaitingByteIsTakenWithoutReadingTheClock) {
  channel.QueueBytes({0x5A});
  std::uint8_t byte = 0;
  EXPECT_EQ(PortReadByte(port, byte, 100), kOk);
  EXPECT_EQ(byte, 0x5A);
  EXPECT_EQ(clock.Readings(), 0u);
}

TEST_F(SerialPortTest, SilentLineTimesOutOnlyAfterTheTimeoutSinceTheFirstFailedRead) {
  for (const std::uint32_t timeout : {0u, 200u, 1775u}) {
    SCOPED_TRACE(timeout);
    const std::uint32_t before = clock.Now();
    std::uint8_t byte = 0;
    EXPECT_EQ(PortReadByte(port, byte, timeout), kErrTimeout);
    // The first failed read (110 ms) comes before the clock starts; the
    // deadline may be overrun by at most one more platform read.
    const std::uint32_t elapsed = clock.Now() - before;
    EXPECT_GT(elapsed, timeout + ScriptedChannel::kReadTimeMs);
    EXPECT_LE(elapsed, timeout + 3 * ScriptedChannel::kReadTimeMs);
  }
}

TEST_F(SerialPortTest, DeadlineSurvivesTickCountWrapAround) {
  FakeClock wrapping(0xFFFFFF00u);
  port.clock = &wrapping;
  ScriptedChannel silent(wrapping);
  port.channel = &silent;
  std::uint8_t byte = 0;
  EXPECT_EQ(PortReadByte(port, byte, 1000), kErrTimeout);
  EXPECT_GT(silent.reads, 9);  // about 1000 ms of 110 ms reads, not one
}

TEST_F(SerialPortTest, ByteAfterSilencesAndLineErrorsIsStillTaken) {
  channel.QueueReadError();
  channel.QueueSilence(3);
  channel.QueueReadError();
  channel.QueueBytes({0x42});
  std::uint8_t byte = 0;
  EXPECT_EQ(PortReadByte(port, byte, 1000), kOk);
  EXPECT_EQ(byte, 0x42);
  // The error state is cleared after every unsuccessful read.
  EXPECT_EQ(channel.clearErrors, 5);
}

TEST_F(SerialPortTest, ErrorStateThatCannotBeClearedEndsTheReadAtOnce) {
  channel.failClearError = true;
  std::uint8_t byte = 0;
  EXPECT_EQ(PortReadByte(port, byte, 60000), kErrPortState);
  EXPECT_EQ(channel.reads, 1);
}

TEST_F(SerialPortTest, WriteResults) {
  const std::uint8_t data[] = {1, 2, 3, 4};
  EXPECT_EQ(PortWrite(port, data, 4), kOk);
  EXPECT_EQ(channel.writes.back(), (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(channel.clearErrors, 0);

  channel.writeLimit = 3;  // the driver gives up after three bytes
  EXPECT_EQ(PortWrite(port, data, 4), kErrWrite);
  EXPECT_EQ(channel.clearErrors, 0);

  channel.failWrite = true;
  EXPECT_EQ(PortWrite(port, data, 4), kErrWrite);
  EXPECT_EQ(channel.clearErrors, 1);
}

TEST(BusyWaitTest, WaitsTheFullLengthAcrossWrapAround) {
  struct Case {
    std::uint32_t start;
    std::uint32_t ms;
  };
  for (const Case c : {Case{0, 0}, Case{5000, 300}, Case{0xFFFFFFF0u, 300}}) {
    SCOPED_TRACE(c.start);
    test::FakeClock clock(c.start);
    BusyWait(clock, c.ms);
    const std::uint32_t elapsed = clock.Now() - c.start;
    EXPECT_GE(elapsed, c.ms);
    EXPECT_LE(elapsed, c.ms + 2);
  }
}

}  // namespace
}  // namespace zl

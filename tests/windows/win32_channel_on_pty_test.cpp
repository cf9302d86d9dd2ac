// The Win32 serial channel on a COM port that Wine maps to a pseudo-terminal.
// The harness (wine_harness.py) serves the other end and names the port in
// ZETALINK_TEST_PORT. The peer understands three requests:
//   'C' speed(4 bytes, big-endian)  check the line settings: answers 'K' or
//                                   'B' followed by what is wrong and '\n'
//   'E' n data(n bytes)             send the data back
//   'H'                             hang up
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/result_code.h"
#include "link/serial_port.h"
#include "platform/clock.h"
#include "platform/win32/win32_serial_channel.h"

namespace zl {
namespace {

class ChannelOnPty : public testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("ZETALINK_TEST_PORT");
    if (name == nullptr) {
      GTEST_SKIP() << "ZETALINK_TEST_PORT is not set: run through wine_harness.py";
    }
    port_.channel = &channel_;
    port_.clock = &DefaultClock();
    ASSERT_EQ(PortOpen(port_, std::string("\\\\.\\") + name), kOk);
  }
  void TearDown() override {
    if (port_.channel != nullptr) {
      PortClose(port_);
    }
  }

  void Send(const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(PortWrite(port_, bytes.data(), bytes.size()), kOk);
  }

  // Reads up to `count` bytes, each within a second.
  std::vector<std::uint8_t> Receive(std::size_t count) {
    std::vector<std::uint8_t> bytes;
    std::uint8_t byte = 0;
    while (bytes.size() < count && PortReadByte(port_, byte, 1000) == kOk) {
      bytes.push_back(byte);
    }
    return bytes;
  }

  // Asks the peer whether the line runs at `speed`, 8N1, raw, no flow control.
  std::string CheckLine(std::uint32_t speed) {
    Send({'C', static_cast<std::uint8_t>(speed >> 24), static_cast<std::uint8_t>(speed >> 16),
          static_cast<std::uint8_t>(speed >> 8), static_cast<std::uint8_t>(speed)});
    std::string answer;
    std::uint8_t byte = 0;
    while (PortReadByte(port_, byte, 1000) == kOk) {
      answer.push_back(static_cast<char>(byte));
      if (answer == "K" || byte == '\n') {
        break;
      }
    }
    return answer;
  }

  Win32SerialChannel channel_;
  SerialPort port_;
};

TEST_F(ChannelOnPty, OpensRawAt9600AndChangesSpeed) {
  EXPECT_EQ(port_.speed, 9600u);
  EXPECT_EQ(CheckLine(9600), "K");
  for (const std::uint32_t speed : {115200u, 19200u}) {
    ASSERT_EQ(PortSetSpeed(port_, speed), kOk);
    EXPECT_EQ(port_.speed, speed);
    EXPECT_EQ(CheckLine(speed), "K") << speed;
  }
}

TEST_F(ChannelOnPty, EveryByteValuePassesBothWaysUnchanged) {
  // XON, XOFF, CR, LF, NUL and 0xFF included: no flow control, no character
  // processing in either direction.
  for (int start = 0; start < 256; start += 128) {
    std::vector<std::uint8_t> request = {'E', 128};
    std::vector<std::uint8_t> data;
    for (int value = start; value < start + 128; ++value) {
      data.push_back(static_cast<std::uint8_t>(value));
    }
    request.insert(request.end(), data.begin(), data.end());
    Send(request);
    EXPECT_EQ(Receive(data.size()), data) << "bytes from " << start;
  }
}

TEST_F(ChannelOnPty, PurgeDiscardsWaitingInput) {
  Send({'E', 3, 'a', 'b', 'c'});
  Sleep(300);  // let the echo arrive in the driver's queue
  PortPurgeInput(port_);
  std::uint8_t byte = 0;
  EXPECT_EQ(PortReadByte(port_, byte, 200), kErrTimeout);
}

TEST_F(ChannelOnPty, SilentLineTimesOutAfterTheDeadline) {
  std::uint8_t byte = 0;
  const std::uint32_t start = GetTickCount();
  EXPECT_EQ(PortReadByte(port_, byte, 300), kErrTimeout);
  const std::uint32_t elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 300u);
  EXPECT_LT(elapsed, 2000u) << "one platform read is about 110 ms";
}

// Run on its own (the harness gives it a fresh pseudo-terminal): after the
// peer hangs up, Wine's ReadFile returns without a byte and ClearCommError
// fails, so the read reports the port state instead of waiting out its
// deadline.
TEST_F(ChannelOnPty, HangUpEndsTheReadWithThePortState) {
  Send({'H'});
  std::uint8_t byte = 0;
  const std::uint32_t start = GetTickCount();
  EXPECT_EQ(PortReadByte(port_, byte, 10000), kErrPortState);
  EXPECT_LT(GetTickCount() - start, 5000u);
}

}  // namespace
}  // namespace zl

#include "platform/posix/termios_channel.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/frame_codec.h"
#include "link/serial_port.h"

namespace zl {
namespace {

using Bytes = std::vector<std::uint8_t>;
using SteadyClock = std::chrono::steady_clock;

long long MillisecondsSince(SteadyClock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

// A pseudo-terminal pair: the test plays the device on the master side, the
// channel opens the slave by its path.
class TermiosChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master_, &slave, name, nullptr, nullptr), 0);
    slavePath_ = name;
    termios initial{};
    ASSERT_EQ(::tcgetattr(slave, &initial), 0);
    startedCooked_ = (initial.c_lflag & ICANON) != 0;
    ::close(slave);
    port_.channel = &channel_;
    port_.clock = &DefaultClock();
  }

  void TearDown() override {
    channel_.Close();
    CloseMaster();
  }

  void CloseMaster() {
    if (master_ >= 0) {
      ::close(master_);
      master_ = -1;
    }
  }

  void MasterWrite(const Bytes& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Reads what the channel sent, waiting at most two seconds for `count` bytes.
  Bytes MasterRead(std::size_t count) {
    Bytes got;
    const auto start = SteadyClock::now();
    while (got.size() < count && MillisecondsSince(start) < 2000) {
      pollfd watch{master_, POLLIN, 0};
      if (::poll(&watch, 1, 100) > 0 && (watch.revents & POLLIN) != 0) {
        std::uint8_t buffer[512];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0)
          got.insert(got.end(), buffer, buffer + n);
      }
    }
    return got;
  }

  int master_ = -1;
  std::string slavePath_;
  bool startedCooked_ = false;
  TermiosChannel channel_;
  SerialPort port_;
};

TEST_F(TermiosChannelTest, OpenAppliesRawEightNOneWithoutFlowControl) {
  ASSERT_TRUE(startedCooked_);  // the settings below are the channel's doing
  ASSERT_EQ(PortOpen(port_, slavePath_), kOk);
  termios t{};
  ASSERT_EQ(::tcgetattr(channel_.Descriptor(), &t), 0);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(
      t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | INPCK | PARMRK | BRKINT),
      0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(port_.speed, 9600u);
}

TEST_F(TermiosChannelTest, SpeedsTheDriverKnowsAreSetOthersRefused) {
  ASSERT_EQ(PortOpen(port_, slavePath_), kOk);
  EXPECT_EQ(PortSetSpeed(port_, 115200), kOk);
  termios t{};
  ASSERT_EQ(::tcgetattr(channel_.Descriptor(), &t), 0);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B115200));
  EXPECT_EQ(t.c_lflag & ICANON, 0u);  // nothing else changed
  EXPECT_EQ(PortSetSpeed(port_, 12345), kErrPortOpen);
  EXPECT_EQ(port_.speed, 12345u);
  EXPECT_EQ(PortSetSpeed(port_, 0), kErrPortOpen);
}

TEST_F(TermiosChannelTest, EveryByteValuePassesUnchangedBothWays) {
  ASSERT_EQ(PortOpen(port_, slavePath_), kOk);
  Bytes all(256);
  for (int i = 0; i < 256; ++i)
    all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);

  MasterWrite(all);
  Bytes received;
  std::uint8_t byte = 0;
  while (received.size() < all.size() && PortReadByte(port_, byte, 500) == kOk) {
    received.push_back(byte);
  }
  EXPECT_EQ(received, all);

  ASSERT_EQ(PortWrite(port_, all.data(), all.size()), kOk);
  EXPECT_EQ(MasterRead(all.size()), all);
}

TEST_F(TermiosChannelTest, OneByteReadGivesUpAfterAboutOneHundredTenMilliseconds) {
  ASSERT_EQ(PortOpen(port_, slavePath_), kOk);
  std::uint8_t byte = 0;
  auto start = SteadyClock::now();
  EXPECT_FALSE(channel_.ReadByte(byte));
  const long long silent = MillisecondsSince(start);
  EXPECT_GE(silent, 100);
  EXPECT_LT(silent, 600);  // generous: the machine may be busy

  MasterWrite({0x7E});
  start = SteadyClock::now();
  EXPECT_TRUE(channel_.ReadByte(byte));
  EXPECT_EQ(byte, 0x7E);
  EXPECT_LT(MillisecondsSince(start), 100);

  start = SteadyClock::now();
  EXPECT_EQ(PortReadByte(port_, byte, 300), kErrTimeout);
  const long long timedOut = MillisecondsSince(start);
  EXPECT_GT(timedOut, 300);
  EXPECT_LT(timedOut, 1500);
}

TEST_F(TermiosChannelTest, PurgeDiscardsWaitingInput) {
  ASSERT_EQ(PortOpen(port_, slavePath_), kOk);
  MasterWrite({1, 2, 3});
  pollfd watch{channel_.Descriptor(), POLLIN, 0};
  ASSERT_EQ(::poll(&watch, 1, 1000), 1);
  PortPurgeInput(port_);
  std::uint8_t byte = 0;
  EXPECT_FALSE(channel_.ReadByte(byte));
}

TEST_F(TermiosChannelTest, PortIsHeldExclusively) {
  ASSERT_EQ(PortOpen(port_, slavePath_), kOk);
  TermiosChannel second;
  SerialPort other;
  other.channel = &second;
  other.clock = &DefaultClock();
  EXPECT_EQ(PortOpen(other, slavePath_), kErrPortOpen);
  EXPECT_EQ(second.LastOpenFailure(), OpenFailure::kBusy);
  EXPECT_LT(second.Descriptor(), 0);
  // The same channel cannot be opened twice either.
  EXPECT_FALSE(channel_.Open(slavePath_));

  PortClose(port_);
  EXPECT_EQ(PortOpen(other, slavePath_), kOk);
}

TEST_F(TermiosChannelTest, OpenFailuresSayWhy) {
  EXPECT_EQ(PortOpen(port_, "/nonexistent/ttyZ9"), kErrPortOpen);
  EXPECT_EQ(channel_.LastOpenFailure(), OpenFailure::kMissing);

  char path[] = "/tmp/zl-notatty-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(PortOpen(port_, path), kErrPortOpen);
  EXPECT_EQ(channel_.LastOpenFailure(), OpenFailure::kNotSerial);
  EXPECT_LT(channel_.Descriptor(), 0);  // closed again
  ::unlink(path);
}

TEST_F(TermiosChannelTest, ComNameFindsItsDeviceThroughTheOverrides) {
  TermiosChannel mapped({{"COM12", slavePath_}});
  SerialPort port;
  port.channel = &mapped;
  port.clock = &DefaultClock();
  ::unsetenv("ZETALINK_COM12");
  ASSERT_EQ(PortOpen(port, "\\\\.\\COM12"), kOk);
  const std::uint8_t hello[] = {'h', 'i'};
  ASSERT_EQ(PortWrite(port, hello, 2), kOk);
  EXPECT_EQ(MasterRead(2), (Bytes{'h', 'i'}));
  PortClose(port);
}

TEST_F(TermiosChannelTest, ClosedPeerEndsReadsPromptlyAsDeviceGone) {
  ASSERT_EQ(PortOpen(port_, slavePath_), kOk);
  EXPECT_TRUE(channel_.ClearError());
  CloseMaster();

  std::uint8_t byte = 0;
  auto start = SteadyClock::now();
  EXPECT_EQ(PortReadByte(port_, byte, 5000), kErrPortState);
  EXPECT_LT(MillisecondsSince(start), 1000);

  std::uint8_t buffer[1500];
  start = SteadyClock::now();
  EXPECT_EQ(FrameReceive(port_, sizeof buffer, buffer, 5000), kErrPortState);
  EXPECT_LT(MillisecondsSince(start), 1000);

  const std::uint8_t data[] = {1, 2, 3};
  EXPECT_EQ(PortWrite(port_, data, 3), kErrWrite);
  EXPECT_FALSE(channel_.ClearError());
}

TEST_F(TermiosChannelTest, FrameRoundTripOverThePty) {
  ASSERT_EQ(PortOpen(port_, slavePath_), kOk);
  const Bytes payload = {0x10, 0x05, 0x03};
  ASSERT_EQ(FrameSend(port_, payload.data(), payload.size()), kOk);
  const Bytes line = MasterRead(9);
  EXPECT_EQ(line, FrameEncode(payload.data(), payload.size()));
  MasterWrite(line);
  std::uint8_t buffer[1500];
  ASSERT_EQ(FrameReceive(port_, sizeof buffer, buffer, 500), 3);
  EXPECT_EQ(Bytes(buffer, buffer + 3), payload);
}

}  // namespace
}  // namespace zl

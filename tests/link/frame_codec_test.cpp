#include "link/frame_codec.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fake_clock.h"
#include "tests/support/scripted_channel.h"

namespace zl {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::FakeClock;
using test::ScriptedChannel;

class FrameCodecTest : public ::testing::Test {
 protected:
  FrameCodecTest() {
    port.channel = &channel;
    port.clock = &clock;
  }

  // Receives one frame with capacity 1500 from whatever is queued.
  ResultCode Receive(std::uint32_t timeout = 200, std::size_t capacity = 1500) {
    buffer.assign(1600, 0xEE);
    const ResultCode result = FrameReceive(port, capacity, buffer.data(), timeout);
    if (result >= 0) {
      buffer.resize(static_cast<std::size_t>(result));
    }
    return result;
  }

  FakeClock clock;
  ScriptedChannel channel{clock};
  SerialPort port;
  Bytes buffer;
};

struct FrameVector {
  Bytes payload;
  Bytes frame;
};

const FrameVector kVectors[] = {
    {{}, {0x10, 0x02, 0x10, 0x03, 0x00}},
    {{0x00, 0x01, 0x01}, {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00}},
    {{0x10, 0x05, 0x03}, {0x10, 0x02, 0x10, 0x10, 0x05, 0x03, 0x10, 0x03, 0x16}},
    {{0x10}, {0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0x10, 0x10}},
    // STX and ETX inside the payload travel unescaped.
    {{0x02, 0x03}, {0x10, 0x02, 0x02, 0x03, 0x10, 0x03, 0x01}},
};

TEST_F(FrameCodecTest, VectorsEncodeAndSendInOneWrite) {
  for (const auto& v : kVectors) {
    EXPECT_EQ(FrameEncode(v.payload.data(), v.payload.size()), v.frame);
    ASSERT_EQ(FrameSend(port, v.payload.data(), v.payload.size()), kOk);
    EXPECT_EQ(channel.writes.back(), v.frame);
  }
  EXPECT_EQ(channel.writes.size(), std::size(kVectors));
}

TEST_F(FrameCodecTest, VectorsDecode) {
  for (const auto& v : kVectors) {
    channel.QueueBytes(v.frame);
    channel.QueueBytes({0x99});  // nothing after the checksum is read
    EXPECT_EQ(Receive(), static_cast<ResultCode>(v.payload.size()));
    EXPECT_EQ(buffer, v.payload);
    ASSERT_EQ(channel.input.size(), 1u);
    channel.input.clear();
  }
}

TEST_F(FrameCodecTest, IncompleteWriteFailsTheSend) {
  channel.writeLimit = 4;
  const Bytes payload = {1, 2, 3};
  EXPECT_EQ(FrameSend(port, payload.data(), payload.size()), kErrWrite);
}

TEST_F(FrameCodecTest, PayloadUpToCapacityIsAcceptedOneMoreIsRejectedAtOnce) {
  const Bytes full(1500, 0x10);  // all DLE: doubling must not count twice
  channel.QueueBytes(FrameEncode(full.data(), full.size()));
  EXPECT_EQ(Receive(), 1500);
  EXPECT_EQ(buffer, full);

  const Bytes over(1501, 0x41);
  const Bytes frame = FrameEncode(over.data(), over.size());
  channel.QueueBytes(frame);
  EXPECT_EQ(Receive(), kErrFrameOverflow);
  // The 1501st byte was the last one read: DLE ETX and the checksum remain.
  EXPECT_EQ(channel.input.size(), 3u);
}

TEST_F(FrameCodecTest, WhatComesBeforeTheFrameStart) {
  const Bytes good = {0x10, 0x02, 0x07, 0x10, 0x03, 0x07};
  struct Case {
    const char* name;
    Bytes prefix;
  };
  const Case cases[] = {
      {"noise", {0x55, 0xAA, 0x02, 0x03, 0x00}},
      {"dle dle", {0x10, 0x10}},
      {"dle dle stx is no start", {0x10, 0x10, 0x02, 0x00, 0x10, 0x03, 0x00}},
      {"dle then other byte", {0x10, 0x55, 0x02}},
      {"silence shorter than the timeout", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    channel.QueueBytes(c.prefix);
    if (c.prefix.empty())
      channel.QueueSilence(1);
    channel.QueueBytes(good);
    EXPECT_EQ(Receive(), 1);
    EXPECT_EQ(buffer, Bytes{0x07});
    EXPECT_TRUE(channel.input.empty());
  }
}

TEST_F(FrameCodecTest, TripleDleStartsAFrameAtTheThirdDle) {
  channel.QueueBytes({0x10, 0x10, 0x10, 0x02, 0x07, 0x10, 0x03, 0x07});
  EXPECT_EQ(Receive(), 1);
}

TEST_F(FrameCodecTest, DamagedFrames) {
  struct Case {
    const char* name;
    Bytes line;
    ResultCode expected;
  };
  const Case cases[] = {
      {"dle stx inside",
       {0x10, 0x02, 0x01, 0x10, 0x02, 0x01, 0x10, 0x03, 0x00},
       kErrFrameMalformed},
      {"dle other inside", {0x10, 0x02, 0x01, 0x10, 0x41}, kErrFrameMalformed},
      {"checksum dle not doubled",
       {0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0x10, 0x11},
       kErrFrameMalformed},
      {"wrong checksum", {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x01}, kErrFrameChecksum},
      {"checksum dle mismatch", {0x10, 0x02, 0x11, 0x10, 0x03, 0x10, 0x10}, kErrFrameChecksum},
      {"undoubled payload dle mistaken",
       {0x10, 0x02, 0x10, 0x05, 0x03, 0x10, 0x03, 0x16},
       kErrFrameMalformed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    channel.input.clear();
    channel.QueueBytes(c.line);
    EXPECT_EQ(Receive(), c.expected);
  }
}

TEST_F(FrameCodecTest, SilenceAtAnyPointOfAFrameTimesOut) {
  const Bytes frame = kVectors[3].frame;  // checksum DLE included
  for (std::size_t cut = 0; cut < frame.size(); ++cut) {
    SCOPED_TRACE(cut);
    channel.input.clear();
    channel.QueueBytes(Bytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(cut)));
    const std::uint32_t before = clock.Now();
    EXPECT_EQ(Receive(200), kErrTimeout);
    EXPECT_GT(clock.Now() - before, 200u);
  }
}

TEST_F(FrameCodecTest, DeviceGoneEndsTheCallInEveryState) {
  const Bytes frame = kVectors[2].frame;
  for (std::size_t cut = 0; cut < frame.size(); ++cut) {
    SCOPED_TRACE(cut);
    channel.input.clear();
    channel.reads = 0;
    channel.QueueBytes(Bytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(cut)));
    channel.failClearError = true;
    EXPECT_EQ(Receive(60000), kErrPortState);
    EXPECT_EQ(channel.reads, static_cast<int>(cut) + 1);
  }
}

TEST_F(FrameCodecTest, EndlessStrayBytesEndTheHuntAfterTheTimeout) {
  for (const Bytes& noise : {Bytes{0x55}, Bytes{0x10, 0x55}, Bytes{0x10, 0x10}}) {
    channel.input.clear();
    for (int i = 0; i < 20000; ++i)
      channel.QueueBytes(noise);
    const std::size_t queued = channel.input.size();
    EXPECT_EQ(Receive(200), kErrTimeout);
    // The fake clock moves 1 ms per reading: about 200 stray bytes were read.
    EXPECT_LT(queued - channel.input.size(), 1000u);
  }
}

TEST_F(FrameCodecTest, TraceSeesTheLineBytesSentAndThePayloadReceived) {
  std::vector<std::pair<TraceDirection, Bytes>> seen;
  port.trace = [&](TraceDirection d, const std::uint8_t* data, std::size_t n) {
    seen.emplace_back(d, Bytes(data, data + n));
  };
  const auto& v = kVectors[2];
  ASSERT_EQ(FrameSend(port, v.payload.data(), v.payload.size()), kOk);
  channel.QueueBytes(v.frame);
  ASSERT_EQ(Receive(), 3);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(TraceDirection::kSent, v.frame));
  EXPECT_EQ(seen[1], std::make_pair(TraceDirection::kReceived, v.payload));
}

}  // namespace
}  // namespace zl

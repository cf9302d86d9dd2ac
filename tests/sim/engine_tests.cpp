#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/frame_codec.h"
#include "sim/device.h"
#include "sim/frame_decoder.h"
#include "sim/loader_engine.h"

namespace zl::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Drives the engine with whole frames and decodes what it sends back.
struct EngineFixture : ::testing::Test {
  EngineFixture() : engine(MakeFreshDevice({})) {}

  void SendRaw(const Bytes& bytes, std::uint32_t speed) {
    for (auto b : bytes) {
      engine.Receive(b, speed, emissions);
    }
  }

  // The answer payloads to one frame; `speed` defaults to the loader's.
  std::vector<Bytes> Send(const Bytes& payload, std::optional<std::uint32_t> speed = {}) {
    emissions.clear();
    SendRaw(FrameEncode(payload.data(), payload.size()), speed.value_or(engine.Speed()));
    std::vector<Bytes> answers;
    FrameDecoder decoder;
    for (const auto& e : emissions) {
      for (auto b : e.bytes) {
        if (decoder.Feed(b)) {
          answers.push_back(decoder.Payload());
        }
      }
    }
    return answers;
  }

  // The body of the answer to a command, with the header checked.
  std::optional<Bytes> Command(const Bytes& body, std::uint8_t sequence = 0) {
    Bytes payload = {static_cast<std::uint8_t>((sequence << 6) | 0x10 | (body.size() >> 8)),
                     static_cast<std::uint8_t>(body.size())};
    payload.insert(payload.end(), body.begin(), body.end());
    const auto answers = Send(payload);
    if (answers.empty()) {
      return std::nullopt;
    }
    EXPECT_EQ(answers.size(), 1u);
    const Bytes& a = answers.front();
    EXPECT_GE(a.size(), 2u);
    EXPECT_EQ(a[0] & 0xF8, (sequence << 6) | 0x10) << "sequence and flag echoed";
    EXPECT_EQ(static_cast<std::size_t>(((a[0] & 7) << 8) | a[1]), a.size() - 2);
    return Bytes(a.begin() + 2, a.end());
  }

  LoaderEngine engine;
  std::vector<Emission> emissions;
};

const Bytes kProbe = {0x00, 0x01, 0x01};

Bytes SpeedMessage(std::uint32_t speed) {
  return {0x00,
          0x05,
          0x03,
          static_cast<std::uint8_t>(speed >> 24),
          static_cast<std::uint8_t>(speed >> 16),
          static_cast<std::uint8_t>(speed >> 8),
          static_cast<std::uint8_t>(speed)};
}

TEST_F(EngineFixture, ProbeIsAnsweredOnlyAtTheLoadersSpeed) {
  EXPECT_EQ(Send(kProbe), std::vector<Bytes>{kProbe});
  EXPECT_TRUE(Send(kProbe, 19200).empty());
  EXPECT_EQ(Send(kProbe, 9600).size(), 1u);  // the garbled frame left no trace
}

TEST_F(EngineFixture, SpeedAnswerLeavesAtTheOldSpeedThenTheLoaderMoves) {
  const auto answers = Send(SpeedMessage(57600));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0], SpeedMessage(57600));
  EXPECT_EQ(emissions.at(0).speed, 9600u);
  EXPECT_EQ(engine.Speed(), 57600u);
  EXPECT_TRUE(Send(kProbe, 9600).empty());
  EXPECT_EQ(Send(kProbe).size(), 1u);
}

TEST_F(EngineFixture, SpeedMessageVariants) {
  // A speed the loader does not know keeps it where it is.
  auto answers = Send(SpeedMessage(12345));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0], SpeedMessage(9600));

  engine.faults().answerSpeed = 38400;
  answers = Send(SpeedMessage(115200));
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0], SpeedMessage(38400));
  EXPECT_EQ(engine.Speed(), 38400u);

  engine.faults().answerSpeed.reset();
  engine.faults().refuseSpeedAbove = 57600;
  EXPECT_TRUE(Send(SpeedMessage(115200)).empty());
  EXPECT_EQ(engine.Speed(), 38400u);
  EXPECT_EQ(Send(SpeedMessage(57600)).size(), 1u);
}

TEST_F(EngineFixture, FramesThatBreakTheHeaderRulesAreIgnored) {
  // Header says 2 body bytes, 1 follows.
  EXPECT_TRUE(Send({0x10, 0x02, 'r'}).empty());
  // Too short for a header; an empty command body.
  EXPECT_TRUE(Send({0x10}).empty());
  EXPECT_TRUE(Send({0x10, 0x00}).empty());
  EXPECT_EQ(engine.ResponseCount(), 0u);
  // A good frame right after is answered.
  EXPECT_TRUE(Command({'r'}, 3).has_value());
}

TEST_F(EngineFixture, IdentifyReportsVersionsAndSerialNumber) {
  const auto r = Command({'r'});
  ASSERT_TRUE(r);
  EXPECT_NE(r->at(0), 'r');
  const auto d = Command({'d'}, 1);
  ASSERT_TRUE(d);
  const Bytes expected = {'d', 0, 110, 0, 100, 0, 100, '1', '2', '3', '4', '5', '6', '7', '8'};
  EXPECT_EQ(*d, expected);
}

TEST_F(EngineFixture, LogicCommandsAreRefusedWhileTheModeIsOff) {
  const std::string row(240, '0');
  for (const Bytes& body :
       {Bytes{'j'}, Bytes{'k', 0}, Bytes{'m'}, Bytes{'p'}, Bytes{'n'}, Bytes{'l', 0}}) {
    const auto answer = Command(body);
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (Bytes{body[0], 0xFF})) << body[0];
  }
  EXPECT_EQ(LogicVersionOf(engine.device().epld), 100) << "'p' erased nothing";
  ASSERT_TRUE(Command({'i', 1}));
  EXPECT_EQ(*Command({'j'}), (Bytes{'j', 19}));
  ASSERT_TRUE(Command({'i', 0}));
  EXPECT_EQ(*Command({'j'}), (Bytes{'j', 0xFF}));
}

TEST_F(EngineFixture, ProgramAndReadFollowTheFlash) {
  const Bytes program = {'h', 0x01, 0x00, 0x80, 0x00, 0x00, 0x03, 0x0F, 0x00, 0xF0};
  const auto h = Command(program);
  ASSERT_TRUE(h);
  EXPECT_EQ(*h, (Bytes{'h', 0, 0, 0, 0, 0xFF}));  // status, sum of the data
  EXPECT_EQ(*Command(program), (Bytes{'h', 0, 0, 0, 0, 0xFF})) << "same bits again";
  Bytes setBits = program;
  setBits[7] = 0xFF;
  EXPECT_EQ(Command(setBits)->at(1), 1) << "NOR cannot set bits";
  // Length field disagreeing with the data: malformed.
  Bytes shortData = program;
  shortData.pop_back();
  EXPECT_EQ(Command(shortData)->at(1), 2);

  const auto e = Command({'e', 0x01, 0x00, 0x80, 0x00, 0x00, 0x04});
  ASSERT_TRUE(e);
  EXPECT_EQ(*e, (Bytes{'e', 0x01, 0x00, 0x80, 0x00, 0x00, 0x04, 0x0F, 0x00, 0xF0, 0xFF}));
  // Outside the flash the answer is too short to pass for data.
  EXPECT_EQ(*Command({'e', 0x02, 0x00, 0x00, 0x00, 0x00, 0x04}), (Bytes{'e', 1}));
}

TEST_F(EngineFixture, EraseAndProgramTakeTheirTime) {
  engine.device().config.sectorEraseMs = 1234;
  emissions.clear();
  ASSERT_TRUE(Command({'g', 0x01, 0x08, 0x00, 0x00}));
  EXPECT_EQ(emissions.at(0).delayMs, 1234u);
  EXPECT_EQ(*Command({'g', 0x01, 0x08, 0x00, 0x04}), (Bytes{'g', 1})) << "not a sector start";
}

TEST_F(EngineFixture, ResponseFaultsCountCommandAnswersOnly) {
  engine.faults().dropResponses = {2};
  engine.faults().lateResponses[3] = 5000;
  EXPECT_EQ(Send(kProbe).size(), 1u);  // not counted
  EXPECT_TRUE(Command({'r'}));
  EXPECT_FALSE(Command({'r'}));
  EXPECT_TRUE(Command({'r'}));
  EXPECT_EQ(emissions.at(0).delayMs, 5000u);
  EXPECT_EQ(engine.ResponseCount(), 3u);
  EXPECT_EQ(engine.CommandCount('r'), 3u);
}

TEST_F(EngineFixture, CorruptedAnswersAreRejectedByAReceiver) {
  engine.faults().corruptChecksumResponses = {1};
  engine.faults().noiseBeforeResponses = {2};
  EXPECT_FALSE(Command({'r'})) << "the bad checksum hides the frame";
  EXPECT_TRUE(Command({'r'})) << "the noise is skipped";
}

TEST_F(EngineFixture, StartedFirmwareIgnoresFramesUntilTheWakeUpBytes) {
  ASSERT_TRUE(Send(SpeedMessage(115200)).size() == 1);
  ASSERT_TRUE(Command({'q'}));
  EXPECT_TRUE(engine.FirmwareRunning());
  EXPECT_FALSE(Command({'r'}));
  SendRaw({0xDB, 0xDE}, 9600);  // at the wrong speed: not heard
  EXPECT_TRUE(engine.FirmwareRunning());
  SendRaw({0xDB, 0xDE}, 115200);
  EXPECT_FALSE(engine.FirmwareRunning());
  EXPECT_EQ(engine.Speed(), 9600u) << "the loader restarts at its own speed";
  EXPECT_TRUE(Command({'r'}));
}

TEST_F(EngineFixture, WithoutValidFirmwareTheLoaderStays) {
  engine.device().flash.EraseSector(kFirmwareArea);
  ASSERT_TRUE(Command({'q'}));
  EXPECT_FALSE(engine.FirmwareRunning());
  EXPECT_TRUE(Command({'r'}));
}

TEST_F(EngineFixture, HangUpSilencesTheDeviceForGood) {
  engine.faults().hangUpAfterBytes = 4;
  EXPECT_FALSE(Command({'r'}));
  EXPECT_TRUE(engine.HungUp());
  EXPECT_FALSE(Command({'r'}));
  engine.Replug();
  EXPECT_TRUE(Command({'r'}));
}

// The device's receiver: one line per byte vector, valid ones beside the
// ones it must drop.
struct DecoderCase {
  const char* name;
  Bytes line;
  std::optional<Bytes> payload;
};

class DeviceFrameDecoder : public ::testing::TestWithParam<DecoderCase> {};

TEST_P(DeviceFrameDecoder, DecodesOrDrops) {
  FrameDecoder decoder;
  std::optional<Bytes> got;
  for (auto b : GetParam().line) {
    if (decoder.Feed(b)) {
      got = decoder.Payload();
    }
  }
  EXPECT_EQ(got, GetParam().payload);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, DeviceFrameDecoder,
    ::testing::Values(
        DecoderCase{"Empty", {0x10, 0x02, 0x10, 0x03, 0x00}, Bytes{}},
        DecoderCase{"Probe", {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00}, Bytes{0, 1, 1}},
        DecoderCase{"DoubledDle",
                    {0x10, 0x02, 0x10, 0x10, 0x05, 0x03, 0x10, 0x03, 0x16},
                    Bytes{0x10, 0x05, 0x03}},
        DecoderCase{"ChecksumIsDle", {0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0x10, 0x10}, Bytes{0x10}},
        DecoderCase{
            "NoiseFirst", {0xDB, 0xDE, 0x10, 0x10, 0x02, 0x10, 0x02, 0x10, 0x03, 0x00}, Bytes{}},
        DecoderCase{"RestartInsideFrame",
                    {0x10, 0x02, 0x55, 0x10, 0x02, 0x07, 0x10, 0x03, 0x07},
                    Bytes{0x07}},
        DecoderCase{"BadChecksum", {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x01}, std::nullopt},
        DecoderCase{"BadEscape", {0x10, 0x02, 0x00, 0x10, 0x05, 0x10, 0x03, 0x00}, std::nullopt},
        DecoderCase{
            "ChecksumDleAlone", {0x10, 0x02, 0x10, 0x10, 0x10, 0x03, 0x10, 0x00}, std::nullopt}),
    [](const auto& info) { return info.param.name; });

TEST(DeviceFrameDecoderLimits, PayloadAbove1500BytesIsDropped) {
  FrameDecoder decoder;
  Bytes big(1501, 0x41);
  Bytes frame = FrameEncode(big.data(), big.size());
  bool any = false;
  for (auto b : frame) {
    any = decoder.Feed(b) || any;
  }
  EXPECT_FALSE(any);
  Bytes fits(1500, 0x41);
  frame = FrameEncode(fits.data(), fits.size());
  for (auto b : frame) {
    any = decoder.Feed(b) || any;
  }
  EXPECT_TRUE(any);
  EXPECT_EQ(decoder.Payload().size(), 1500u);
}

}  // namespace
}  // namespace zl::sim

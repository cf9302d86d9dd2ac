#include "link/loader_link.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/link/fake_loader.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_channel.h"

namespace zl {
namespace {

using test::Bytes;
using test::FakeClock;
using test::FakeLoader;
using test::Frame;
using test::ScriptedChannel;

class LoaderLinkTest : public ::testing::Test {
 protected:
  LoaderLinkTest() {
    link.port.channel = &channel;
    link.port.clock = &clock;
    loader.Attach(channel);
    loader.onCommand = [](const Bytes& body) { return Bytes{body[0]}; };
  }

  // What went to the port, in order: speed changes and the writes, named
  // by their exact bytes.
  std::vector<std::string> Events() const {
    std::vector<std::string> events;
    std::size_t write = 0;
    for (const auto& call : channel.calls) {
      if (call.rfind("speed ", 0) == 0) {
        events.push_back(call);
      } else if (call == "write") {
        const Bytes& bytes = channel.writes[write++];
        std::string name = "frame";
        if (bytes == Bytes{0xDB, 0xDE}) {
          name = "wake";
        } else if (bytes == Frame(test::ProbePayload())) {
          name = "probe";
        } else {
          for (const std::uint32_t s : {9600u, 19200u, 38400u, 57600u, 115200u}) {
            if (bytes == Frame(test::SpeedPayload(s)))
              name = "speed-msg " + std::to_string(s);
          }
        }
        events.push_back(name);
      } else if (call == "close") {
        events.push_back(call);
      }
    }
    return events;
  }

  void OpenAt9600() {
    ASSERT_EQ(LinkOpen(link, "\\\\.\\COM1", 9600), kOk);
    channel.calls.clear();
    channel.writes.clear();
  }

  // The first header byte of the last command frame written.
  std::uint8_t LastHeaderByte() const {
    Bytes payload;
    EXPECT_TRUE(test::DecodeFrame(channel.writes.back(), payload));
    return payload.empty() ? 0 : payload[0];
  }

  ResultCode Transact(const Bytes& body, std::size_t capacity = 1500) {
    response.assign(1500, 0);
    return LinkTransact(link, static_cast<std::uint32_t>(body.size()), body.data(), capacity,
                        response.data(), 10);
  }

  FakeClock clock;
  ScriptedChannel channel{clock};
  FakeLoader loader;
  LoaderLink link;
  Bytes response;
};

TEST_F(LoaderLinkTest, ProbeAndSpeedMessagesHaveTheirExactBytes) {
  EXPECT_EQ(Frame(test::ProbePayload()), (Bytes{0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00}));
  EXPECT_EQ(Frame(test::SpeedPayload(115200)),
            (Bytes{0x10, 0x02, 0x00, 0x05, 0x03, 0x00, 0x01, 0xC2, 0x00, 0x10, 0x03, 0xC5}));
}

struct NegotiationCase {
  const char* name;
  std::uint32_t loaderSpeed;
  std::uint32_t requested;
  std::vector<std::uint32_t> refused;
  bool answerSpeedMessage;
  std::uint32_t answerSpeed;  // 0: the requested one
  bool answerProbeAfterChange;
  ResultCode expected;
  std::uint32_t finalSpeed;
  std::vector<std::string> events;
};

const std::vector<std::string> kFullScanNoAnswer = {
    "speed 115200", "speed 115200", "wake",        "probe",       "speed 9600",
    "wake",         "probe",        "speed 19200", "wake",        "probe",
    "speed 38400",  "wake",         "probe",       "speed 57600", "wake",
    "probe",        "speed 115200", "wake",        "probe",       "close"};

const NegotiationCase kNegotiationCases[] = {
    {"already at the requested speed",
     115200,
     115200,
     {},
     true,
     0,
     true,
     kOk,
     115200,
     {"speed 115200", "speed 115200", "wake", "probe"}},
    {"found by the scan, then changed",
     19200,
     57600,
     {},
     true,
     0,
     true,
     kOk,
     57600,
     {"speed 115200", "speed 57600", "wake", "probe", "speed 9600", "wake", "probe", "speed 19200",
      "wake", "probe", "speed-msg 57600", "speed 57600", "probe"}},
    {"loader answers with another speed",
     9600,
     115200,
     {},
     true,
     38400,
     true,
     kOk,
     38400,
     {"speed 115200", "speed 115200", "wake", "probe", "speed 9600", "wake", "probe",
      "speed-msg 115200", "speed 38400", "probe"}},
    {"115200 refused: 57600 is the top",
     19200,
     115200,
     {115200},
     true,
     0,
     true,
     kOk,
     57600,
     {"speed 115200", "speed 57600", "wake", "probe", "speed 9600", "wake", "probe", "speed 19200",
      "wake", "probe", "speed-msg 57600", "speed 57600", "probe"}},
    {"115200 refused: the scan ends at 57600",
     115200,
     115200,
     {115200},
     true,
     0,
     true,
     kErrNoResponse,
     57600,
     {"speed 115200", "speed 57600", "wake", "probe", "speed 9600", "wake", "probe", "speed 19200",
      "wake", "probe", "speed 38400", "wake", "probe", "speed 57600", "wake", "probe", "close"}},
    {"no answer at any speed",
     1200,
     115200,
     {},
     true,
     0,
     true,
     kErrNoResponse,
     115200,
     kFullScanNoAnswer},
    {"speed message unanswered",
     9600,
     38400,
     {},
     false,
     0,
     true,
     kErrPortOpen,
     9600,
     {"speed 115200", "speed 38400", "wake", "probe", "speed 9600", "wake", "probe",
      "speed-msg 38400", "close"}},
    {"probe after the change unanswered",
     9600,
     38400,
     {},
     true,
     0,
     false,
     kErrNewSpeed,
     38400,
     {"speed 115200", "speed 38400", "wake", "probe", "speed 9600", "wake", "probe",
      "speed-msg 38400", "speed 38400", "probe", "close"}},
    {"answered speed refused by the port",
     9600,
     38400,
     {57600},
     true,
     57600,
     true,
     kErrNewSpeed,
     57600,
     {"speed 115200", "speed 38400", "wake", "probe", "speed 9600", "wake", "probe",
      "speed-msg 38400", "speed 57600", "close"}},
};

TEST_F(LoaderLinkTest, NegotiationPaths) {
  for (const auto& c : kNegotiationCases) {
    SCOPED_TRACE(c.name);
    FakeClock caseClock;
    ScriptedChannel caseChannel(caseClock);
    FakeLoader caseLoader;
    caseLoader.speed = c.loaderSpeed;
    caseLoader.answerSpeedMessage = c.answerSpeedMessage;
    if (c.answerSpeed != 0)
      caseLoader.answerSpeed = c.answerSpeed;
    caseLoader.answerProbeAfterChange = c.answerProbeAfterChange;
    caseLoader.Attach(caseChannel);
    caseChannel.refusedSpeeds.insert(c.refused.begin(), c.refused.end());
    LoaderLink caseLink;
    caseLink.port.channel = &caseChannel;
    caseLink.port.clock = &caseClock;

    EXPECT_EQ(LinkOpen(caseLink, "\\\\.\\COM2", c.requested), c.expected);
    EXPECT_EQ(caseLink.open, c.expected == kOk);
    EXPECT_EQ(caseChannel.isOpen, c.expected == kOk);
    EXPECT_EQ(caseLink.port.speed, c.finalSpeed);
    channel.calls = caseChannel.calls;
    channel.writes = caseChannel.writes;
    EXPECT_EQ(Events(), c.events);
    // Nothing the negotiation does empties the receive queue.
    EXPECT_EQ(caseChannel.purges, 0);
  }
}

TEST_F(LoaderLinkTest, EachSpeedTriedPausesAfterTheWakeUp) {
  loader.speed = 1200;  // never answers
  const std::uint32_t before = clock.Now();
  EXPECT_EQ(LinkOpen(link, "COM1", 9600), kErrNoResponse);
  // Six tries of 300 ms pause plus a probe that waits more than 200 ms.
  EXPECT_GT(clock.Now() - before, 6u * 500u);
  EXPECT_LT(clock.Now() - before, 6u * 900u);
}

TEST_F(LoaderLinkTest, OpenThatFailsAtThePortLeavesTheLinkClosed) {
  channel.failOpen = true;
  EXPECT_EQ(LinkOpen(link, "COM1", 9600), kErrPortOpen);
  EXPECT_FALSE(link.open);
  EXPECT_TRUE(channel.writes.empty());
}

TEST_F(LoaderLinkTest, OpenResetsSequenceAndHeaderFlag) {
  link.sequence = 3;
  link.headerFlag = 0;
  OpenAt9600();
  EXPECT_TRUE(link.open);
  EXPECT_EQ(link.sequence, 0);
  EXPECT_EQ(link.headerFlag, 0x10);
}

TEST_F(LoaderLinkTest, SecondOpenIsRefusedAndTheOpenLinkStays) {
  OpenAt9600();
  EXPECT_EQ(LinkOpen(link, "\\\\.\\COM1", 9600), kErrPortOpen);
  EXPECT_TRUE(link.open);
  EXPECT_TRUE(channel.isOpen);
  EXPECT_EQ(Transact({0x72}), 1);
}

TEST_F(LoaderLinkTest, WorkedExampleByteForByte) {
  OpenAt9600();
  EXPECT_EQ(Transact({0x72}), 1);
  ASSERT_EQ(channel.writes.size(), 1u);
  EXPECT_EQ(channel.writes[0], (Bytes{0x10, 0x02, 0x10, 0x10, 0x01, 0x72, 0x10, 0x03, 0x63}));
  EXPECT_EQ(response[0], 0x72);
}

TEST_F(LoaderLinkTest, SequenceNumbersCycleInTheFirstHeaderByte) {
  OpenAt9600();
  for (const std::uint8_t expected : {0x10, 0x50, 0x90, 0xD0, 0x10}) {
    ASSERT_EQ(Transact({0x72}), 1);
    EXPECT_EQ(LastHeaderByte(), expected);
  }
}

TEST_F(LoaderLinkTest, LongestBodyIsSentOneMoreIsRejectedWithoutSending) {
  OpenAt9600();
  loader.onCommand = [](const Bytes&) { return Bytes{}; };
  EXPECT_EQ(Transact(Bytes(1498, 0x68)), 0);
  Bytes payload;
  ASSERT_TRUE(test::DecodeFrame(channel.writes.back(), payload));
  ASSERT_EQ(payload.size(), 1500u);
  EXPECT_EQ(payload[0], 0x15);  // length bits 10-8 are 5
  EXPECT_EQ(payload[1], 0xDA);

  const std::size_t writes = channel.writes.size();
  EXPECT_EQ(Transact(Bytes(1499, 0x68)), kErrRequestTooLong);
  EXPECT_EQ(channel.writes.size(), writes);
  // The rejected request did not use up a sequence number.
  EXPECT_EQ(Transact({0x72}), 0);
  EXPECT_EQ(LastHeaderByte(), 0x50);
}

TEST_F(LoaderLinkTest, ClosedLinkSendsNothing) {
  EXPECT_EQ(Transact({0x72}), kErrLinkClosed);
  OpenAt9600();
  LinkClose(link);
  EXPECT_FALSE(channel.isOpen);
  EXPECT_EQ(Transact({0x72}), kErrLinkClosed);
  EXPECT_TRUE(channel.writes.empty());
  LinkClose(link);  // closing again does nothing
  EXPECT_EQ(channel.calls, (std::vector<std::string>{"close"}));
}

TEST_F(LoaderLinkTest, UnansweredRequestIsSentThreeTimesEachAfterAPurge) {
  OpenAt9600();
  loader.onCommand = [](const Bytes&) { return std::nullopt; };
  EXPECT_EQ(Transact({0x72}), kErrNoResponse);
  EXPECT_EQ(channel.calls,
            (std::vector<std::string>{"purge", "write", "purge", "write", "purge", "write"}));
  ASSERT_EQ(channel.writes.size(), 3u);
  EXPECT_EQ(channel.writes[0], channel.writes[1]);
  EXPECT_EQ(channel.writes[1], channel.writes[2]);
  // The link stays usable, with the next sequence number.
  loader.onCommand = [](const Bytes& body) { return Bytes{body[0]}; };
  EXPECT_EQ(Transact({0x72}), 1);
  EXPECT_EQ(LastHeaderByte(), 0x50);
}

TEST_F(LoaderLinkTest, StaleInputIsPurgedBeforeTheRequest) {
  OpenAt9600();
  // A complete answer left over from before would be taken if not purged.
  channel.QueueBytes(Frame({0x10, 0x02, 0x65, 0x00}));
  EXPECT_EQ(Transact({0x72}), 1);
  EXPECT_EQ(response[0], 0x72);
}

TEST_F(LoaderLinkTest, ResponsesThatFailAnAttemptAreRetried) {
  struct Case {
    const char* name;
    Bytes badPayload;
  };
  const Case cases[] = {
      {"empty payload", {}},
      {"one-byte payload", {0x10}},
      {"length bits disagree", {0x10, 0x02, 0x72}},
      {"length bits disagree in bits 10-8", {0x11, 0x01, 0x72}},
  };
  OpenAt9600();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    channel.writes.clear();
    loader.rawAnswers = {c.badPayload, c.badPayload, {0x10, 0x01, 0x72}};
    EXPECT_EQ(Transact({0x72}), 1);
    EXPECT_EQ(channel.writes.size(), 3u);
  }
  // Damaged frames also fail the attempt.
  channel.writes.clear();
  loader.rawAnswers.clear();
  int answers = 0;
  channel.responder = [&](ScriptedChannel& ch, const Bytes&) {
    if (++answers == 1)
      ch.QueueBytes({0x10, 0x02, 0x10, 0x01, 0x72, 0x10, 0x03, 0x00});
    else
      ch.QueueBytes(Frame({0x10, 0x01, 0x72}));
  };
  EXPECT_EQ(Transact({0x72}), 1);
  EXPECT_EQ(channel.writes.size(), 2u);
}

TEST_F(LoaderLinkTest, ResponsesThatAreAccepted) {
  struct Case {
    const char* name;
    Bytes payload;
    ResultCode expected;
  };
  const Case cases[] = {
      {"header only", {0x10, 0x00}, 0},
      {"any sequence and flag bits", {0xE8, 0x02, 0x72, 0x00}, 2},
      {"no flag", {0x00, 0x01, 0x72}, 1},
  };
  OpenAt9600();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    channel.writes.clear();
    loader.rawAnswers = {c.payload};
    EXPECT_EQ(Transact({0x72}), c.expected);
    EXPECT_EQ(channel.writes.size(), 1u);
    EXPECT_EQ(Bytes(response.begin(), response.begin() + c.expected),
              Bytes(c.payload.begin() + 2, c.payload.end()));
  }
}

TEST_F(LoaderLinkTest, ResponseLongerThanTheCallersBufferIsRefused) {
  OpenAt9600();
  loader.onCommand = [](const Bytes&) { return Bytes(10, 0x41); };
  EXPECT_EQ(Transact({0x65}, 9), kErrResponseTooLong);
  EXPECT_EQ(response[0], 0);
  EXPECT_EQ(Transact({0x65}, 10), 10);
}

TEST(LinkResponseTimeoutTest, Examples) {
  struct Case {
    std::uint32_t body, speed, extra, expected;
  };
  for (const Case c : {Case{1, 115200, 10, 340}, Case{1, 9600, 10, 1775},
                       Case{5, 115200, 10000, 10330}, Case{242, 9600, 300, 2316}}) {
    EXPECT_EQ(LinkResponseTimeout(c.body, c.speed, c.extra), c.expected);
  }
}

TEST_F(LoaderLinkTest, ResponseTimeoutFollowsTheCurrentLineSpeed) {
  // An answer after five silent platform reads (550 ms): too late at 115200
  // (340 ms per byte), in time at 9600 (1775 ms).
  loader.speed = 115200;
  ASSERT_EQ(LinkOpen(link, "COM1", 115200), kOk);
  loader.silentReadsBeforeAnswer = 5;
  EXPECT_EQ(Transact({0x72}), kErrNoResponse);
  LinkClose(link);

  loader.silentReadsBeforeAnswer = 0;
  loader.speed = 9600;
  ASSERT_EQ(LinkOpen(link, "COM1", 9600), kOk);
  loader.silentReadsBeforeAnswer = 5;
  EXPECT_EQ(Transact({0x72}), 1);
}

TEST(ComDeviceNameTest, DeviceNamespaceForm) {
  EXPECT_EQ(ComDeviceName(1), "\\\\.\\COM1");
  EXPECT_EQ(ComDeviceName(19), "\\\\.\\COM19");
}

}  // namespace
}  // namespace zl

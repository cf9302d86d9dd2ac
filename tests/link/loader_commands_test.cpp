#include "link/loader_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "tests/link/fake_loader.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_channel.h"

namespace zl {
namespace {

using test::Bytes;
using test::FakeClock;
using test::FakeLoader;
using test::ScriptedChannel;

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}

// A 'd' answer: code, three versions, serial number characters.
Bytes DescribeAnswer(std::uint16_t loader, std::uint16_t firmware, std::uint16_t logic,
                     const std::string& serial, std::uint8_t code = 'd') {
  Bytes b = {code, 0, 0, 0, 0, 0, 0};
  PutU16BE(b.data(), 1, loader);
  PutU16BE(b.data(), 3, firmware);
  PutU16BE(b.data(), 5, logic);
  const Bytes s = Text(serial);
  b.insert(b.end(), s.begin(), s.end());
  return b;
}

class LoaderCommandsTest : public ::testing::Test {
 protected:
  LoaderCommandsTest() {
    link.port.channel = &channel;
    link.port.clock = &clock;
    loader.Attach(channel);
    EXPECT_EQ(LinkOpen(link, "\\\\.\\COM1", 9600), kOk);
    // The loader answers with what the test puts into `answers` for the
    // command code; by default with the code and a zero status ('r' is not
    // echoed).
    loader.onCommand = [this](const Bytes& body) -> std::optional<Bytes> {
      bodies.push_back(body);
      auto it = answers.find(body.empty() ? 0 : body[0]);
      if (it == answers.end() || it->second.empty()) {
        return body[0] == 'r' ? Bytes{0} : Bytes{body[0], 0};
      }
      Bytes answer = it->second.front();
      it->second.erase(it->second.begin());
      return answer;
    };
  }

  // Fills the shared response buffer with a stale answer of the given bytes.
  void LeaveStaleResponse(const Bytes& stale) {
    answers['e'] = {stale};
    std::uint8_t dummy[1500];
    LoaderReadMemory(link, 0, 0, dummy);
    bodies.clear();
  }

  FakeClock clock;
  ScriptedChannel channel{clock};
  FakeLoader loader;
  LoaderLink link;
  std::vector<Bytes> bodies;  // request bodies as the loader got them
  std::map<std::uint8_t, std::vector<Bytes>> answers;
};

TEST_F(LoaderCommandsTest, RequestBodies) {
  const std::string row(240, '1');
  const std::string ues(120, '0');
  const Bytes data = {0xAA, 0x10, 0xCC};
  std::uint8_t memory[16];
  std::uint32_t value = 0;
  std::uint8_t type = 0;
  std::string a, b;
  DeviceIdentity identity;
  struct Case {
    const char* name;
    std::function<void()> call;
    std::vector<Bytes> expected;
  };
  const Case cases[] = {
      {"identify", [&] { LoaderIdentify(link, identity); }, {{'r'}, {'d'}}},
      {"read memory",
       [&] { LoaderReadMemory(link, 0x01020304, 0x0506, memory); },
       {{'e', 0x01, 0x02, 0x03, 0x04, 0x05, 0x06}}},
      {"erase sector",
       [&] { LoaderEraseSector(link, 0x1008000); },
       {{'g', 0x01, 0x00, 0x80, 0x00}}},
      {"program memory",
       [&] { LoaderProgramMemory(link, 0x1040000, 3, data.data(), value); },
       {{'h', 0x01, 0x04, 0x00, 0x00, 0x00, 0x03, 0xAA, 0x10, 0xCC}}},
      {"logic mode on", [&] { LoaderLogicMode(link, true); }, {{'i', 1}}},
      {"logic mode off", [&] { LoaderLogicMode(link, false); }, {{'i', 0}}},
      {"logic read id", [&] { LoaderLogicReadId(link, type); }, {{'j'}}},
      {"logic read row", [&] { LoaderLogicReadRow(link, 133, a, b); }, {{'k', 133}}},
      {"logic write row",
       [&] { LoaderLogicWriteRow(link, 16, row); },
       {Concat({{'l', 16}, Text(row)})}},
      {"logic read ues", [&] { LoaderLogicReadUes(link, a); }, {{'m'}}},
      {"logic write ues", [&] { LoaderLogicWriteUes(link, ues); }, {Concat({{'n'}, Text(ues)})}},
      {"logic erase", [&] { LoaderLogicErase(link); }, {{'p'}}},
      {"start firmware", [&] { LoaderStartFirmware(link); }, {{'q'}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bodies.clear();
    c.call();
    EXPECT_EQ(bodies, c.expected);
  }
}

TEST_F(LoaderCommandsTest, RowSixteenIsDoubledOnTheLine) {
  ASSERT_EQ(LoaderLogicWriteRow(link, 16, std::string(240, '0')), kOk);
  const Bytes& line = channel.writes.back();
  // DLE STX, header 0x10 (doubled) 0xF2, 'l', row 0x10 doubled.
  EXPECT_EQ(Bytes(line.begin(), line.begin() + 8),
            (Bytes{0x10, 0x02, 0x10, 0x10, 0xF2, 'l', 0x10, 0x10}));
}

TEST_F(LoaderCommandsTest, TextArgumentsShortByOneSendAZeroShorterOnesThrowBeforeSending) {
  ASSERT_EQ(LoaderLogicWriteRow(link, 1, std::string(239, '1')), kOk);
  EXPECT_EQ(bodies.back(), Concat({{'l', 1}, Text(std::string(239, '1')), {0}}));
  ASSERT_EQ(LoaderLogicWriteUes(link, std::string(119, '0')), kOk);
  EXPECT_EQ(bodies.back(), Concat({{'n'}, Text(std::string(119, '0')), {0}}));
  // Longer texts send their first characters only.
  ASSERT_EQ(LoaderLogicWriteUes(link, std::string(120, '0') + "11"), kOk);
  EXPECT_EQ(bodies.back().size(), 121u);

  const std::size_t writes = channel.writes.size();
  EXPECT_THROW(LoaderLogicWriteRow(link, 1, std::string(238, '1')), InvalidArgumentError);
  EXPECT_THROW(LoaderLogicWriteUes(link, ""), InvalidArgumentError);
  EXPECT_EQ(channel.writes.size(), writes);
}

TEST_F(LoaderCommandsTest, IdentifyReadsAndCleansUpTheDescription) {
  struct Case {
    const char* name;
    Bytes answer;
    ResultCode result;
    std::uint16_t loaderVersion, firmware, logic;
    std::string serial;
  };
  const std::string before = "OLD12345";
  const Case cases[] = {
      {"15 bytes", DescribeAnswer(0x0102, 0x0012, 0x0123, "12345678"), kOk, 0x0102, 18, 0x123,
       "12345678"},
      {"17 bytes", DescribeAnswer(7, 1, 2, "ABCDEFGHIJ"), kOk, 7, 1, 2, "ABCDEFGHIJ"},
      {"16 bytes", DescribeAnswer(7, 1, 2, "ABCDEFGHI"), kOk, 0, 0, 0, before},
      {"empty", {}, kOk, 0, 0, 0, before},
      {"15 bytes without the echo", DescribeAnswer(7, 1, 2, "12345678", 'x'), kErrBadResponse, 9, 9,
       9, before},
      {"firmware 0xC012", DescribeAnswer(1, 0xC012, 999, "12345678"), kOk, 1, 18, 999, "12345678"},
      {"firmware 0x4012", DescribeAnswer(1, 0x4012, 1000, "12345678"), kOk, 1, 0, 0, "12345678"},
      {"firmware 0x8012", DescribeAnswer(1, 0x8012, 0, "12345678"), kOk, 1, 0, 0, "12345678"},
      {"firmware 0xFFFF", DescribeAnswer(0xFFFF, 0xFFFF, 0xFFFF, "12345678"), kOk, 0xFFFF, 0, 0,
       "12345678"},
      {"firmware 0x0100", DescribeAnswer(1, 0x0100, 5, "12345678"), kOk, 1, 0, 5, "12345678"},
      {"firmware 0x00FF", DescribeAnswer(1, 0x00FF, 5, "12345678"), kOk, 1, 255, 5, "12345678"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DeviceIdentity identity{9, 9, 9, before};
    answers['r'] = {{'x'}};
    answers['d'] = {c.answer};
    EXPECT_EQ(LoaderIdentify(link, identity), c.result);
    EXPECT_EQ(identity.loaderVersion, c.loaderVersion);
    EXPECT_EQ(identity.firmwareVersion, c.firmware);
    EXPECT_EQ(identity.logicVersion, c.logic);
    EXPECT_EQ(identity.serialNumber, c.serial);
  }
}

TEST_F(LoaderCommandsTest, EchoedIdentifyPausesAndStops) {
  answers['r'] = {{'r', 0x00}};
  DeviceIdentity identity{1, 2, 3, "SERIAL00"};
  const std::uint32_t before = clock.Now();
  EXPECT_EQ(LoaderIdentify(link, identity), kErrIdentifyEcho);
  EXPECT_GE(clock.Now() - before, 1000u);
  EXPECT_EQ(bodies, (std::vector<Bytes>{{'r'}}));
  EXPECT_EQ(identity.serialNumber, "SERIAL00");
}

TEST_F(LoaderCommandsTest, EmptyIdentifyAnswerIsNoEchoEvenAfterAnEarlierR) {
  LeaveStaleResponse({'e', 'r'});  // wrong length: fails, but fills the buffer
  LeaveStaleResponse(Concat({{'r'}, Bytes(6, 0)}));
  ASSERT_EQ(link.response[0], 'r');
  answers['r'] = {{}};
  answers['d'] = {DescribeAnswer(3, 4, 5, "87654321")};
  DeviceIdentity identity;
  EXPECT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.serialNumber, "87654321");
}

TEST_F(LoaderCommandsTest, ReadIdNeedsTheTypeByte) {
  std::uint8_t type = 0;
  answers['j'] = {{'j', 19}, {'x', 7, 7}};
  EXPECT_EQ(LoaderLogicReadId(link, type), kOk);
  EXPECT_EQ(type, 19);
  EXPECT_EQ(LoaderLogicReadId(link, type), kOk);  // neither length nor echo examined
  EXPECT_EQ(type, 7);

  LeaveStaleResponse(Concat({{'e', 19}, Bytes(5, 0)}));
  type = 0;
  answers['j'] = {{'j'}, {}};
  EXPECT_EQ(LoaderLogicReadId(link, type), kErrBadResponse);
  EXPECT_EQ(LoaderLogicReadId(link, type), kErrBadResponse);
  EXPECT_EQ(type, 0);
}

TEST_F(LoaderCommandsTest, ReadMemoryChecksLengthAndEcho) {
  std::uint8_t memory[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  answers['e'] = {Concat({{'e'}, Bytes(6, 0), {1, 2, 3}}), Concat({{'e'}, Bytes(6, 0), {1, 2}}),
                  Concat({{'x'}, Bytes(6, 0), {1, 2, 3}}), Concat({{'e'}, Bytes(6, 0)})};
  EXPECT_EQ(LoaderReadMemory(link, 0x100, 3, memory), kOk);
  EXPECT_EQ(Bytes(memory, memory + 4), (Bytes{1, 2, 3, 0xEE}));
  EXPECT_EQ(LoaderReadMemory(link, 0x100, 3, memory), kErrBadResponse);
  EXPECT_EQ(LoaderReadMemory(link, 0x100, 3, memory), kErrBadResponse);
  EXPECT_EQ(LoaderReadMemory(link, 0x100, 0, memory), kOk);  // exactly 7 bytes
}

TEST_F(LoaderCommandsTest, EraseAndProgramStatus) {
  answers['g'] = {{'g', 0}, {'g', 1}, {'g'}, {'x', 0}};
  EXPECT_EQ(LoaderEraseSector(link, 0x1040000), kOk);
  EXPECT_EQ(LoaderEraseSector(link, 0x1040000), kErrEraseFailed);
  EXPECT_EQ(LoaderEraseSector(link, 0x1040000), kErrBadResponse);
  EXPECT_EQ(LoaderEraseSector(link, 0x1040000), kErrBadResponse);

  const std::uint8_t data[2] = {1, 2};
  std::uint32_t value = 0;
  answers['h'] = {{'h', 0, 0x12, 0x34, 0x56, 0x78},
                  {'h', 3, 0xCA, 0xFE, 0xBA, 0xBE},
                  {'h', 0, 1, 2, 3},
                  {'x', 0, 1, 2, 3, 4}};
  EXPECT_EQ(LoaderProgramMemory(link, 0x1040000, 2, data, value), kOk);
  EXPECT_EQ(value, 0x12345678u);
  EXPECT_EQ(LoaderProgramMemory(link, 0x1040000, 2, data, value), kErrProgramFailed);
  EXPECT_EQ(value, 0xCAFEBABEu);  // handed back on failure too
  EXPECT_EQ(LoaderProgramMemory(link, 0x1040000, 2, data, value), kErrBadResponse);
  EXPECT_EQ(LoaderProgramMemory(link, 0x1040000, 2, data, value), kErrBadResponse);
}

TEST_F(LoaderCommandsTest, ProgramLengthLimit) {
  const Bytes data(2000, 0x5A);
  std::uint32_t value = 0;
  answers['h'] = {{'h', 0, 0, 0, 0, 0}};
  EXPECT_EQ(LoaderProgramMemory(link, 0x1040000, 1491, data.data(), value), kOk);
  EXPECT_EQ(bodies.back().size(), 1498u);
  const std::size_t writes = channel.writes.size();
  EXPECT_EQ(LoaderProgramMemory(link, 0x1040000, 1492, data.data(), value), kErrRequestTooLong);
  EXPECT_EQ(LoaderProgramMemory(link, 0x1040000, 0xFFFF, data.data(), value), kErrRequestTooLong);
  EXPECT_EQ(channel.writes.size(), writes);
}

TEST_F(LoaderCommandsTest, RowAndUesReadingsNeedTheirExactLength) {
  const std::string programmed(240, '1');
  const std::string erased(240, '0');
  answers['k'] = {Concat({{'?'}, Text(programmed), Text(erased)}),
                  Concat({{'k'}, Text(std::string(479, '1'))})};
  std::string p = "before", e = "before";
  EXPECT_EQ(LoaderLogicReadRow(link, 5, p, e), kOk);
  EXPECT_EQ(p, programmed);
  EXPECT_EQ(e, erased);
  p = e = "before";
  EXPECT_EQ(LoaderLogicReadRow(link, 5, p, e), kErrBadResponse);
  EXPECT_EQ(p, "before");
  EXPECT_EQ(e, "before");

  const std::string signature = std::string(60, '1') + std::string(60, '0');
  answers['m'] = {Concat({{'?'}, Text(signature)}),
                  Concat({{'m'}, Text(std::string(120, '1')), {'1'}})};
  std::string s = "before";
  EXPECT_EQ(LoaderLogicReadUes(link, s), kOk);
  EXPECT_EQ(s, signature);
  s = "before";
  EXPECT_EQ(LoaderLogicReadUes(link, s), kErrBadResponse);
  EXPECT_EQ(s, "before");
}

TEST_F(LoaderCommandsTest, UnexaminedAnswersAreSuccess) {
  answers['i'] = {{}};
  answers['l'] = {{'?', 1, 2}};
  answers['p'] = {Bytes(300, 7)};
  EXPECT_EQ(LoaderLogicMode(link, true), kOk);
  EXPECT_EQ(LoaderLogicWriteRow(link, 0, std::string(240, '0')), kOk);
  EXPECT_EQ(LoaderLogicErase(link), kOk);
}

TEST_F(LoaderCommandsTest, EraseAllSectorsStopsAtTheFirstFailure) {
  answers['g'] = {{'g', 0}, {'g', 0}, {'g', 2}};
  EXPECT_EQ(LoaderEraseAllSectors(link), kErrEraseFailed);
  ASSERT_EQ(bodies.size(), 3u);
  EXPECT_EQ(bodies[2], (Bytes{'g', 0x01, 0x01, 0x00, 0x00}));

  bodies.clear();
  EXPECT_EQ(LoaderEraseAllSectors(link), kOk);
  std::vector<Bytes> expected;
  for (const std::uint32_t sector :
       {0x1008000u, 0x100C000u, 0x1010000u, 0x1040000u, 0x1080000u, 0x10C0000u}) {
    Bytes b = {'g', 0, 0, 0, 0};
    PutU32BE(b.data(), 1, sector);
    expected.push_back(b);
  }
  EXPECT_EQ(bodies, expected);
}

TEST_F(LoaderCommandsTest, LinkFailuresPassThroughUnchanged) {
  loader.onCommand = [](const Bytes&) { return std::nullopt; };
  DeviceIdentity identity;
  std::uint8_t type = 0;
  std::string a, b;
  std::uint32_t value = 0;
  std::uint8_t memory[4];
  EXPECT_EQ(LoaderIdentify(link, identity), kErrNoResponse);
  EXPECT_EQ(LoaderLogicReadId(link, type), kErrNoResponse);
  EXPECT_EQ(LoaderEraseAllSectors(link), kErrNoResponse);
  EXPECT_EQ(channel.writes.size(), 2u + 3u * 3u);  // negotiation probe + 3 commands x 3

  LinkClose(link);
  const std::vector<std::function<ResultCode()>> calls = {
      [&] { return LoaderIdentify(link, identity); },
      [&] { return LoaderReadMemory(link, 0, 1, memory); },
      [&] { return LoaderEraseSector(link, 0); },
      [&] { return LoaderProgramMemory(link, 0, 1, memory, value); },
      [&] { return LoaderProgramMemory(link, 0, 5000, memory, value); },
      [&] { return LoaderLogicMode(link, true); },
      [&] { return LoaderLogicReadId(link, type); },
      [&] { return LoaderLogicReadRow(link, 0, a, b); },
      [&] { return LoaderLogicWriteRow(link, 0, std::string(240, '0')); },
      [&] { return LoaderLogicReadUes(link, a); },
      [&] { return LoaderLogicWriteUes(link, std::string(120, '0')); },
      [&] { return LoaderLogicErase(link); },
      [&] { return LoaderStartFirmware(link); },
      [&] { return LoaderEraseAllSectors(link); },
  };
  for (std::size_t i = 0; i < calls.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(calls[i](), kErrLinkClosed);
  }
}

}  // namespace
}  // namespace zl

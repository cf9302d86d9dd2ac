#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frontends/cli/json_writer.h"
#include "frontends/cli/status_printer.h"
#include "frontends/cli/traffic_monitor.h"
#include "link/frame_codec.h"
#include "tests/cli/json_value.h"
#include "tests/support/fake_clock.h"

namespace zl {
namespace {

TEST(ProgressText, RecognisesOnlyTheProgressForm) {
  struct Case {
    const char* text;
    bool progress;
  };
  const Case cases[] = {
      {"Firmware: Programming Flash ... ( 42% )", true},
      {"Logic: Verifying ... ( 0% )", true},
      {"Logic: Programming ... ( 100% )", true},
      {"Firmware: Programming Flash ... passed!", false},
      {"( % )", false},
      {"42% )", false},
      {"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsProgressText(c.text), c.progress) << c.text;
}

// Everything the printer wrote, read back from a temporary file.
std::string Printed(bool inPlace, const std::vector<std::string>& texts) {
  std::FILE* file = std::tmpfile();
  StatusPrinter printer(file, inPlace);
  for (const auto& text : texts)
    printer.Show(text);
  printer.EndLine();
  std::rewind(file);
  std::string out;
  for (int c; (c = std::fgetc(file)) != EOF;)
    out.push_back(static_cast<char>(c));
  std::fclose(file);
  return out;
}

TEST(StatusPrinter, RewritesProgressInPlaceOnlyOnATerminalAndSkipsRepeats) {
  const std::vector<std::string> texts = {
      "",  // the dialog clears its line at start
      "Firmware: Erasing Flash ...", "Firmware: Programming Flash ... ( 1% )",
      "Firmware: Programming Flash ... ( 2% )", "Firmware: Programming Flash ... passed!"};
  EXPECT_EQ(Printed(false, texts),
            "Firmware: Erasing Flash ...\n"
            "Firmware: Programming Flash ... ( 1% )\n"
            "Firmware: Programming Flash ... ( 2% )\n"
            "Firmware: Programming Flash ... passed!\n");
  EXPECT_EQ(Printed(true, texts),
            "Firmware: Erasing Flash ...\n"
            "\rFirmware: Programming Flash ... ( 1% )\x1b[K"
            "\rFirmware: Programming Flash ... ( 2% )\x1b[K\n"
            "Firmware: Programming Flash ... passed!\n");
  // A progress line that is the last output still ends with a line end.
  EXPECT_EQ(Printed(true, {"Logic: Verifying ... ( 99% )"}),
            "\rLogic: Verifying ... ( 99% )\x1b[K\n");
}

// A command frame as the link sends it: header, then the body.
std::vector<std::uint8_t> CommandFrame(std::uint8_t sequence, std::vector<std::uint8_t> body) {
  std::vector<std::uint8_t> payload = {
      static_cast<std::uint8_t>((sequence << 6) | 0x10 | ((body.size() >> 8) & 7)),
      static_cast<std::uint8_t>(body.size())};
  payload.insert(payload.end(), body.begin(), body.end());
  return FrameEncode(payload.data(), payload.size());
}

std::vector<std::uint8_t> Answer(std::vector<std::uint8_t> body) {
  std::vector<std::uint8_t> payload = {0x00, static_cast<std::uint8_t>(body.size())};
  payload.insert(payload.end(), body.begin(), body.end());
  return payload;
}

TEST(TrafficMonitor, CountsAcceptedProgrammingRetriesAndLineBytes) {
  test::FakeClock clock;
  TrafficMonitor monitor(clock, nullptr);
  // 'h' programming 4 bytes at 0x01040000; the data holds a DLE, doubled on the line.
  const auto program = CommandFrame(1, {'h', 0x01, 0x04, 0x00, 0x00, 0x00, 0x04, 0x10, 2, 3, 4});
  monitor.OnFrame(TraceDirection::kSent, program.data(), program.size());
  monitor.OnFrame(TraceDirection::kSent, program.data(), program.size());  // repeated attempt
  const auto accepted = Answer({'h', 0, 0, 0, 0, 0x19});
  monitor.OnFrame(TraceDirection::kReceived, accepted.data(), accepted.size());

  const auto refused = CommandFrame(2, {'h', 0x01, 0x04, 0x00, 0x04, 0x00, 0x04, 1, 2, 3, 4});
  monitor.OnFrame(TraceDirection::kSent, refused.data(), refused.size());
  const auto failed = Answer({'h', 1, 0, 0, 0, 0});
  monitor.OnFrame(TraceDirection::kReceived, failed.data(), failed.size());

  const auto writeRow = CommandFrame(3, [] {
    std::vector<std::uint8_t> body(242, '1');
    body[0] = 'l';
    body[1] = 7;
    return body;
  }());
  monitor.OnFrame(TraceDirection::kSent, writeRow.data(), writeRow.size());
  const auto rowAnswer = Answer({'l', 0});
  monitor.OnFrame(TraceDirection::kReceived, rowAnswer.data(), rowAnswer.size());

  const TrafficCounts& counts = monitor.Counts();
  EXPECT_EQ(counts.flashBytesProgrammed, 4u);  // the refused block does not count
  EXPECT_EQ(counts.logicRowsWritten, 1u);
  EXPECT_EQ(counts.transactions, 3u);
  EXPECT_EQ(counts.retries, 1u);
  EXPECT_EQ(counts.commands.at('h'), 2u);
  EXPECT_EQ(counts.framesSent, 4u);
  EXPECT_EQ(counts.framesReceived, 3u);
  EXPECT_EQ(counts.bytesSent, 2 * program.size() + refused.size() + writeRow.size());
  EXPECT_EQ(counts.bytesReceived, FrameEncode(accepted.data(), accepted.size()).size() +
                                      FrameEncode(failed.data(), failed.size()).size() +
                                      FrameEncode(rowAnswer.data(), rowAnswer.size()).size());
}

TEST(TrafficMonitor, DecodesOnlyWellFormedFrames) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> payload;
  };
  const Case cases[] = {
      {{0x10, 0x02, 0x01, 0x10, 0x10, 0x10, 0x03, 0x11}, {0x01, 0x10}},
      {{0xDB, 0x10, 0x02, 0x05, 0x10, 0x03, 0x05}, {0x05}},  // bytes before the frame
      {{0x10, 0x02, 0x01, 0x10, 0x04}, {}},                  // DLE then neither DLE nor ETX
      {{0x10, 0x02, 0x01, 0x02}, {}},                        // no end
      {{0x01, 0x02}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeFramePayload(c.bytes.data(), c.bytes.size()), c.payload);
  }
}

TEST(TrafficMonitor, TracesEachFrameInHexWithItsTime) {
  test::FakeClock clock(1000, 0);
  std::FILE* file = std::tmpfile();
  TrafficMonitor monitor(clock, file);
  const std::uint8_t sent[] = {0x10, 0x02, 0x00, 0x01, 0x01, 0x10, 0x03, 0x00};
  clock.Advance(1234);
  monitor.OnFrame(TraceDirection::kSent, sent, sizeof sent);
  const std::uint8_t received[] = {0x00, 0x01, 0xAB};
  monitor.OnFrame(TraceDirection::kReceived, received, sizeof received);
  std::rewind(file);
  std::string out;
  for (int c; (c = std::fgetc(file)) != EOF;)
    out.push_back(static_cast<char>(c));
  std::fclose(file);
  EXPECT_EQ(out,
            "[     1.234] TX 10 02 00 01 01 10 03 00\n"
            "[     1.234] RX 00 01 AB\n");
}

TEST(JsonWriter, WritesDocumentsThatParseBackWhateverTheTexts) {
  const std::string odd =
      std::string("quote \" back\\slash\nline\ttab \x01 ") + "\xC3\xA9" + " bad \xFF\xC3 end";
  JsonWriter json;
  json.BeginObject();
  json.Key("text").String(odd);
  json.Key("list").BeginArray().Number(-3).Bool(true).Null().BeginObject().EndObject().EndArray();
  json.Key("empty").BeginArray().EndArray();
  json.EndObject();

  const auto parsed = test::ParseJson(json.Text());
  ASSERT_TRUE(parsed.has_value()) << json.Text();
  EXPECT_EQ((*parsed)["text"].text, std::string("quote \" back\\slash\nline\ttab \x01 ") +
                                        "\xC3\xA9" + " bad \xEF\xBF\xBD\xEF\xBF\xBD end");
  ASSERT_EQ((*parsed)["list"].items.size(), 4u);
  EXPECT_EQ((*parsed)["list"][0].number, -3);
  EXPECT_TRUE((*parsed)["list"][1].boolean);
  EXPECT_EQ((*parsed)["list"][3].kind, test::JsonValue::Kind::kObject);
  EXPECT_TRUE((*parsed)["empty"].items.empty());
}

}  // namespace
}  // namespace zl

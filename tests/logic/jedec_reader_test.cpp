#include "logic/jedec_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "tests/logic/jedec_text.h"
#include "tests/support/recording_ui.h"

namespace zl {
namespace {

using test::ExpectedFuseMap;
using test::FuseLines;
using test::RecordingUi;

const std::string kHeader = "*L00000\n";
constexpr const char* kNoHeader = "Logic: Illegal JEDEC file format!";
constexpr const char* kBadRow = "Illegal JEDEC file format!";

const std::string k4x60 = FuseLines(134, 60);

std::size_t FullRows(const FuseMap& fuses) {
  return static_cast<std::size_t>(
      std::count_if(fuses.begin(), fuses.end(),
                    [](const std::string& row) { return row.size() == kFuseRowChars; }));
}

struct JedecCase {
  const char* name;
  std::string text;
  const char* message;   // nullptr: accepted without a box
  std::size_t fullRows;  // rows holding 240 fuses afterwards
};

std::vector<JedecCase> JedecCases() {
  const std::string preamble =
      "\x02JEDEC file for a test design\n"
      "QP44* QF32160*\n"
      "F0*\n"
      "*L00000 \n"   // trailing blank: not the header
      "L00000\n"     // no asterisk
      "*L00240\n"    // another fuse address
      "x*L00000\n";  // text before it
  return {
      {"FourLinesOf60Lf", kHeader + k4x60, nullptr, 134},
      {"FourLinesOf60CrLf", "*L00000\r\n" + FuseLines(134, 60, "\r\n"), nullptr, 134},
      {"FourLinesOf60WithClosingStar", kHeader + FuseLines(134, 60, "\n", "*"), nullptr, 134},
      {"OneLineOf240Lf", kHeader + FuseLines(134, 240), nullptr, 134},
      {"OneLineOf240CrLf", "*L00000\r\n" + FuseLines(134, 240, "\r\n"), nullptr, 134},
      // 241 characters: reads of 80, 80, 80 and "*\n".
      {"OneLineOf240WithClosingStar", kHeader + FuseLines(134, 240, "\n", "*"), nullptr, 134},
      // Each 120-character line takes a read of 80 and one of 40.
      {"TwoLinesOf120", kHeader + FuseLines(134, 120), nullptr, 134},
      {"LinesBeforeHeaderSkipped", preamble + kHeader + k4x60, nullptr, 134},
      // The second read of an 88-character line is the header read.
      {"HeaderAsSecondReadOfLongLine", std::string(80, 'x') + kHeader + k4x60, nullptr, 134},
      {"TextAfterLastRowIgnored", kHeader + k4x60 + "*C1234*\ngarbage without end\n\x03" + "0000",
       nullptr, 134},
      {"EndsRightAfterLastRowWithoutNewline", kHeader + k4x60.substr(0, k4x60.size() - 1), nullptr,
       134},

      {"EmptyFile", "", kNoHeader, 0},
      {"NoHeaderAtAll", preamble + k4x60, kNoHeader, 0},
      {"HeaderWithoutNewlineAtEnd", k4x60 + "*L00000", kNoHeader, 0},
      {"HeaderWithTrailingBlankOnly", "*L00000 \n" + k4x60, kNoHeader, 0},

      // Only the first header counts: the line after it is read as fuses.
      {"SecondHeaderDoesNotCount", kHeader + "QF32160*\n" + kHeader + k4x60, kBadRow, 0},
      {"ThreeLinesOf80", kHeader + FuseLines(134, 80), kBadRow, 0},
      {"BlankLineInsideRow5", kHeader + FuseLines(5, 60) + "\n" + FuseLines(129, 60, "\n", "", 5),
       kBadRow, 5},
      {"FuseLineStartingWithBlank",
       kHeader + FuseLines(3, 60) + " " + FuseLines(131, 60, "\n", "", 3), kBadRow, 3},
      {"RowOf241Fuses", kHeader + "1" + k4x60, kBadRow, 0},
      {"HeaderOnly", kHeader, kBadRow, 0},
      {"EndsAfter133Rows", kHeader + FuseLines(133, 60), kBadRow, 133},
      {"LastRowOneLineShort", kHeader + FuseLines(133, 60) + FuseLines(1, 60).substr(0, 183),
       kBadRow, 133},
  };
}

class JedecReaderTable : public ::testing::TestWithParam<JedecCase> {};

TEST_P(JedecReaderTable, ReadsOrRejectsWithItsMessage) {
  const JedecCase& c = GetParam();
  RecordingUi ui;
  StringLineReader reader(c.text);
  FuseMap fuses;
  fuses.fill("stale");

  const bool ok = ReadJedecFile(ui, reader, fuses);

  EXPECT_EQ(ok, c.message == nullptr);
  ASSERT_FALSE(ui.statusTexts.empty());
  EXPECT_EQ(ui.statusTexts.front(), "Logic: Reading JEDEC File ...");
  EXPECT_EQ(ui.LastStatus(), "Logic: Reading JEDEC File ...");
  EXPECT_EQ(FullRows(fuses), c.fullRows);
  for (const std::string& row : fuses) {
    EXPECT_NE(row, "stale");
  }
  EXPECT_EQ(ui.waitDepth, 0);
  EXPECT_EQ(ui.waitBegins, ui.waitEnds);

  if (c.message == nullptr) {
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(fuses, ExpectedFuseMap());
    EXPECT_EQ(ui.waitBegins, 1);
    return;
  }
  ASSERT_EQ(ui.boxes.size(), 1U);
  const test::RecordedBox& box = ui.boxes.front();
  EXPECT_EQ(box.text, c.message);
  EXPECT_EQ(box.caption, "zetaLink");
  EXPECT_EQ(box.buttons, BoxButtons::kOk);
  EXPECT_EQ(box.icon, BoxIcon::kNone);
  if (std::string(c.message) == kNoHeader) {
    // Nothing was read yet: no wait cursor at all.
    EXPECT_EQ(ui.waitBegins, 0);
  } else {
    // The row failure is reported while the reader's wait cursor is still on.
    EXPECT_EQ(ui.waitBegins, 1);
    EXPECT_EQ(box.waitDepthWhenShown, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Grammar, JedecReaderTable, ::testing::ValuesIn(JedecCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A reader that delivers its text and then fails as a broken disk would.
class FailingReader : public LineReader {
 public:
  explicit FailingReader(std::string text) : inner_(std::move(text)) {}
  bool ReadLine(std::string& line, std::size_t limit) override {
    if (!inner_.ReadLine(line, limit)) {
      throw FileError("c32jed20.102", "read error");
    }
    return true;
  }

 private:
  StringLineReader inner_;
};

TEST(JedecReader, ReadErrorEscapesWithWaitCursorEnded) {
  RecordingUi ui;
  FailingReader reader(kHeader + FuseLines(10, 60));
  FuseMap fuses;
  EXPECT_THROW(ReadJedecFile(ui, reader, fuses), FileError);
  EXPECT_EQ(ui.waitBegins, 1);
  EXPECT_EQ(ui.waitDepth, 0);
  EXPECT_TRUE(ui.boxes.empty());
}

class JedecFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::path(::testing::TempDir()) /
        ("jedec_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& text) {
    const std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  std::filesystem::path dir_;
};

TEST_F(JedecFileTest, ReadsFileFromDiskWithCrLf) {
  const std::string path =
      Write("C32JED20.102", "QF32160*\r\n*L00000\r\n" + FuseLines(134, 60, "\r\n", "*"));
  RecordingUi ui;
  FuseMap fuses;
  EXPECT_TRUE(ReadJedecFile(ui, path, fuses));
  EXPECT_EQ(fuses, ExpectedFuseMap());
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(JedecFileTest, ShortFileFromDiskIsRejected) {
  const std::string path = Write("C32JED20.102", kHeader + FuseLines(100, 240));
  RecordingUi ui;
  FuseMap fuses;
  EXPECT_FALSE(ReadJedecFile(ui, path, fuses));
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{kBadRow});
  EXPECT_EQ(FullRows(fuses), 100U);
  EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(JedecFileTest, UnopenablePathsAreReportedAndClearTheMap) {
  for (const std::string& path : {std::string(), (dir_ / "C32JED20.102").string(), dir_.string()}) {
    SCOPED_TRACE(path);
    RecordingUi ui;
    FuseMap fuses;
    fuses.fill(test::ExpectedRow(0));
    EXPECT_FALSE(ReadJedecFile(ui, path, fuses));
    EXPECT_EQ(ui.statusTexts, std::vector<std::string>{"Logic: Reading JEDEC File ..."});
    EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Logic: Cannot open JEDEC file!"});
    EXPECT_EQ(ui.waitBegins, 0);
    EXPECT_EQ(FullRows(fuses), 0U);
  }
}

}  // namespace
}  // namespace zl

#include "logic/logic_programming.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "tests/logic/epld_fixture.h"

namespace zl {
namespace {

constexpr const char* kStage = "Logic: Programming ...";

class ProgramLogicTest : public test::EpldFixture {};

TEST_F(ProgramLogicTest, WritesRowsInOrderThenSignature) {
  EXPECT_TRUE(ProgramLogic(ui, link, fuses, kUesText));

  std::vector<std::string> expected;
  for (std::size_t row = 0; row < kFuseRowCount; ++row) {
    expected.push_back("'l' " + std::to_string(row) + " -> 0");
  }
  expected.push_back("'n' -> 0");
  std::vector<std::string> written;
  for (const std::string& line : deviceLog) {
    if (line.rfind("'l'", 0) == 0 || line.rfind("'n'", 0) == 0) {
      written.push_back(line);
    }
  }
  EXPECT_EQ(written, expected);
  EXPECT_EQ(deviceLog.size(), expected.size()) << "no other command";

  for (std::size_t row = 0; row < kFuseRowCount; ++row) {
    EXPECT_EQ(wire.device().epld.Row(row), fuses[row]) << "row " << row;
  }
  EXPECT_EQ(wire.device().epld.Ues(), sim::UesBitsOf(kUesText));
  EXPECT_EQ(sim::LogicVersionOf(wire.device().epld), 102);

  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.waitBegins, 1);
  EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(ProgramLogicTest, ProgressRunsFromZeroToNinetyNine) {
  ASSERT_TRUE(ProgramLogic(ui, link, fuses, kUesText));

  ASSERT_EQ(ui.statusTexts.size(), 1 + kFuseRowCount);
  EXPECT_EQ(ui.statusTexts[0], kStage);
  EXPECT_EQ(ui.statusTexts[1], test::Progress(kStage, 0));    // row 0
  EXPECT_EQ(ui.statusTexts[2], test::Progress(kStage, 0));    // row 1
  EXPECT_EQ(ui.statusTexts[3], test::Progress(kStage, 1));    // row 2
  EXPECT_EQ(ui.statusTexts[67], test::Progress(kStage, 49));  // row 66
  EXPECT_EQ(ui.LastStatus(), test::Progress(kStage, 99));     // row 133
  EXPECT_TRUE(std::none_of(ui.statusTexts.begin(), ui.statusTexts.end(), [](const std::string& s) {
    return s.find("100%") != std::string::npos;
  }));
}

struct FailureCase {
  const char* name;
  std::uint32_t failingCommand;  // 0..133 rows, 134 the signature
  unsigned shownPercent;
};

class ProgramLogicFailure : public test::EpldFixture,
                            public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ProgramLogicFailure, StopsAndReportsAfterCursorEnded) {
  const FailureCase& c = GetParam();
  FailCommand(c.failingCommand);

  EXPECT_FALSE(ProgramLogic(ui, link, fuses, kUesText));

  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Communication with ZETA failed!"});
  ASSERT_EQ(ui.boxes.size(), 1U);
  EXPECT_EQ(ui.boxes[0].waitDepthWhenShown, 0);
  EXPECT_EQ(ui.waitBegins, 1);
  EXPECT_EQ(ui.waitDepth, 0);
  EXPECT_EQ(ui.LastStatus(), test::Progress(kStage, c.shownPercent));

  // Nothing after the failing command was sent; the failing one was tried
  // three times by the link.
  const bool rowFails = c.failingCommand < kFuseRowCount;
  EXPECT_EQ(wire.engine().CommandCount('l'), rowFails ? c.failingCommand + 3 : kFuseRowCount);
  EXPECT_EQ(wire.engine().CommandCount('n'), rowFails ? 0U : 3U);
  if (rowFails) {
    EXPECT_EQ(wire.device().epld.Ues(), std::string(kUesBitLength, '1'));
  }
  if (c.failingCommand + 1 < kFuseRowCount) {
    EXPECT_EQ(wire.device().epld.Row(c.failingCommand + 1), std::string(kFuseRowChars, '1'));
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, ProgramLogicFailure,
                         ::testing::Values(FailureCase{"Row0", 0, 0}, FailureCase{"Row2", 2, 1},
                                           FailureCase{"Row100", 100, 74},
                                           FailureCase{"Row133", 133, 99},
                                           FailureCase{"Signature", 134, 99}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramLogicTest, ShortFuseRowEscapesWithCursorEnded) {
  fuses[3] = "0101";
  EXPECT_THROW(ProgramLogic(ui, link, fuses, kUesText), InvalidArgumentError);
  EXPECT_EQ(ui.waitBegins, 1);
  EXPECT_EQ(ui.waitDepth, 0);
  EXPECT_EQ(wire.engine().CommandCount('l'), 3U);
}

}  // namespace
}  // namespace zl

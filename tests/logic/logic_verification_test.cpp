#include "logic/logic_verification.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/logic/epld_fixture.h"

namespace zl {
namespace {

constexpr const char* kStage = "Logic: Verifying ...";

class VerifyLogicTest : public test::EpldFixture {
 protected:
  void SetUp() override {
    EpldFixture::SetUp();
    LoadDevice();
  }
};

TEST_F(VerifyLogicTest, MatchingDevicePassesAfterReadingEveryRowThenSignature) {
  EXPECT_TRUE(VerifyLogic(ui, link, fuses, kUesText));

  std::vector<std::string> expected;
  for (std::size_t row = 0; row < kFuseRowCount; ++row) {
    expected.push_back("'k' " + std::to_string(row));
  }
  expected.push_back("'m'");
  EXPECT_EQ(deviceLog, expected);

  EXPECT_TRUE(ui.boxes.empty());
  ASSERT_EQ(ui.statusTexts.size(), 1 + kFuseRowCount);
  EXPECT_EQ(ui.statusTexts[0], kStage);
  EXPECT_EQ(ui.statusTexts[2], test::Progress(kStage, 0));  // row 1
  EXPECT_EQ(ui.statusTexts[3], test::Progress(kStage, 1));  // row 2
  EXPECT_EQ(ui.LastStatus(), test::Progress(kStage, 99));
  EXPECT_EQ(ui.waitBegins, 1);
  EXPECT_EQ(ui.waitDepth, 0);
}

struct VerifyCase {
  const char* name;
  std::function<void(test::EpldFixture&)> spoil;
  const char* message;
  std::size_t rowsRead;  // 'k' commands handled, retries included
  std::size_t uesReads;
  unsigned shownPercent;
};

class VerifyLogicFailure : public test::EpldFixture,
                           public ::testing::WithParamInterface<VerifyCase> {
 protected:
  void SetUp() override {
    EpldFixture::SetUp();
    LoadDevice();
  }
};

TEST_P(VerifyLogicFailure, StopsAtFirstDifferenceWithItsMessage) {
  const VerifyCase& c = GetParam();
  c.spoil(*this);

  EXPECT_FALSE(VerifyLogic(ui, link, fuses, kUesText));

  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{c.message});
  ASSERT_EQ(ui.boxes.size(), 1U);
  EXPECT_EQ(ui.boxes[0].waitDepthWhenShown, 0);
  EXPECT_EQ(ui.boxes[0].caption, "zetaLink");
  EXPECT_EQ(ui.waitBegins, 1);
  EXPECT_EQ(ui.waitDepth, 0);
  EXPECT_EQ(wire.engine().CommandCount('k'), c.rowsRead);
  EXPECT_EQ(wire.engine().CommandCount('m'), c.uesReads);
  EXPECT_EQ(ui.LastStatus(), test::Progress(kStage, c.shownPercent));
}

constexpr const char* kProgrammed = "Logic: Fuse map programmed verification failed!";
constexpr const char* kErased = "Logic: Fuse map erased verification failed!";
constexpr const char* kUes = "Logic: UES verify failed!";
constexpr const char* kComm = "Communication with ZETA failed!";

// The UES bits of the signature text with bit n inverted.
std::string UesWithBitFlipped(std::size_t n) {
  std::string bits = sim::UesBitsOf(test::EpldFixture::kUesText);
  bits[n] = bits[n] == '0' ? '1' : '0';
  return bits;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, VerifyLogicFailure,
    ::testing::Values(
        VerifyCase{"ProgrammedReadingOfRow0",
                   [](auto& f) { f.wire.faults().corruptRowProgrammed = 0; }, kProgrammed, 1, 0, 0},
        VerifyCase{"ErasedReadingOfRow70", [](auto& f) { f.wire.faults().corruptRowErased = 70; },
                   kErased, 71, 0, 52},
        // A wrong fuse in the device spoils both readings: the programmed one
        // is reported.
        VerifyCase{"BothReadingsOfRow133",
                   [](auto& f) {
                     std::string row = f.fuses[133];
                     row[239] = row[239] == '0' ? '1' : '0';
                     f.wire.device().epld.SetRow(133, row);
                   },
                   kProgrammed, 134, 0, 99},
        VerifyCase{"RowReadFails", [](auto& f) { f.FailCommand(10); }, kComm, 13, 0, 7},
        VerifyCase{"LastSignatureBit", [](auto& f) { f.wire.faults().corruptUes = true; }, kUes,
                   134, 1, 99},
        // The first 80 bits match; one of the 40 trailing clear bits is set.
        VerifyCase{"TrailingSignatureBitSet",
                   [](auto& f) { f.wire.device().epld.SetUes(UesWithBitFlipped(80)); }, kUes, 134,
                   1, 99},
        VerifyCase{"FirstSignatureBit",
                   [](auto& f) { f.wire.device().epld.SetUes(UesWithBitFlipped(0)); }, kUes, 134, 1,
                   99},
        // Every row matches but the signature cannot be read: a
        // communication failure, not a signature mismatch.
        VerifyCase{"SignatureReadFails", [](auto& f) { f.FailCommand(134); }, kComm, 134, 3, 99}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zl

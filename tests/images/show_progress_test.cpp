#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "images/firmware_programming.h"
#include "tests/support/recording_ui.h"

namespace zl {
namespace {

TEST(ShowProgressTest, WritesOnlyChangedPercentages) {
  test::RecordingUi ui;
  ProgressMemory memory;
  ShowProgress(kFirmwareProgressFormat, ui, 200, 0, memory);  // 0 equals the initial value
  ShowProgress(kFirmwareProgressFormat, ui, 200, 1, memory);  // 0 again
  ShowProgress(kFirmwareProgressFormat, ui, 200, 84, memory);
  ShowProgress(kFirmwareProgressFormat, ui, 200, 85, memory);  // still 42
  ShowProgress(kFirmwareProgressFormat, ui, 200, 200, memory);
  EXPECT_EQ(ui.statusTexts, (std::vector<std::string>{"Firmware: Programming Flash ... ( 42% )",
                                                      "Firmware: Programming Flash ... ( 100% )"}));
  EXPECT_EQ(memory.lastShown, 100);
}

TEST(ShowProgressTest, ProductWrapsIn32Bits) {
  test::RecordingUi ui;
  ProgressMemory memory;
  // 50000000 * 100 wraps to 705032704; / 100000000 gives 7.
  ShowProgress("%u%%", ui, 100000000, 50000000, memory);
  EXPECT_EQ(ui.LastStatus(), "7%");
}

TEST(ShowProgressTest, ZeroTotalWritesNothing) {
  test::RecordingUi ui;
  ProgressMemory memory;
  ShowProgress(kFirmwareProgressFormat, ui, 0, 10, memory);
  EXPECT_TRUE(ui.statusTexts.empty());
}

}  // namespace
}  // namespace zl

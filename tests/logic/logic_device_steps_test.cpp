#include "logic/logic_device_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/recording_ui.h"

namespace zl {
namespace {

using test::RecordingUi;

struct StepCase {
  const char* name;
  bool (*step)(UiServices&, LoaderLink&);
  std::vector<std::string> statusTexts;
};

class LogicStepOnDeadLink : public ::testing::TestWithParam<StepCase> {};

// A link that is not open fails every command; each step reports it after
// its wait cursor has ended.
TEST_P(LogicStepOnDeadLink, ReportsCommunicationFailureAfterCursorEnded) {
  const StepCase& c = GetParam();
  RecordingUi ui;
  LoaderLink link;

  EXPECT_FALSE(c.step(ui, link));

  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Communication with ZETA failed!"});
  ASSERT_EQ(ui.boxes.size(), 1U);
  EXPECT_EQ(ui.boxes[0].caption, "zetaLink");
  EXPECT_EQ(ui.boxes[0].icon, BoxIcon::kNone);
  EXPECT_EQ(ui.boxes[0].waitDepthWhenShown, 0);
  EXPECT_EQ(ui.waitBegins, 1);
  EXPECT_EQ(ui.waitEnds, 1);
  EXPECT_EQ(ui.statusTexts, c.statusTexts);
}

INSTANTIATE_TEST_SUITE_P(Steps, LogicStepOnDeadLink,
                         ::testing::Values(StepCase{"Enter", EnterLogicMode, {}},
                                           StepCase{"Leave", LeaveLogicMode, {}},
                                           StepCase{"CheckDevice", CheckLogicDevice, {}},
                                           StepCase{"Erase", EraseLogic, {"Logic: Erasing ..."}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zl

#include "logic/logic_device_steps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/logic/epld_fixture.h"
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

class LogicStepOnDevice : public test::EpldFixture {};

TEST_F(LogicStepOnDevice, EnterEraseAndLeaveDriveTheDevice) {
  wire.device().logicMode = false;
  wire.device().epld.SetRow(7, std::string(kFuseRowChars, '0'));

  EXPECT_TRUE(EnterLogicMode(ui, link));
  EXPECT_TRUE(wire.device().logicMode);
  EXPECT_TRUE(CheckLogicDevice(ui, link));
  EXPECT_TRUE(EraseLogic(ui, link));
  EXPECT_EQ(wire.device().epld.Row(7), std::string(kFuseRowChars, '1'));
  EXPECT_TRUE(LeaveLogicMode(ui, link));
  EXPECT_FALSE(wire.device().logicMode);

  EXPECT_EQ(deviceLog, (std::vector<std::string>{"'i' on", "'j'", "'p'", "'i' off"}));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.statusTexts, std::vector<std::string>{"Logic: Erasing ..."});
  EXPECT_EQ(ui.waitBegins, 4);
  EXPECT_EQ(ui.waitDepth, 0);
}

class DeviceTypeCheck : public test::EpldFixture,
                        public ::testing::WithParamInterface<std::uint8_t> {};

TEST_P(DeviceTypeCheck, OnlyTypeNineteenIsAccepted) {
  const std::uint8_t type = GetParam();
  wire.device().config.logicDeviceType = type;

  const bool accepted = CheckLogicDevice(ui, link);

  EXPECT_EQ(accepted, type == 19);
  EXPECT_EQ(ui.waitBegins, 1);
  EXPECT_EQ(ui.waitDepth, 0);
  if (accepted) {
    EXPECT_TRUE(ui.boxes.empty());
    return;
  }
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Logic: Unknown ispLSI device type!"});
  ASSERT_EQ(ui.boxes.size(), 1U);
  EXPECT_EQ(ui.boxes[0].waitDepthWhenShown, 0);
  EXPECT_EQ(ui.boxes[0].icon, BoxIcon::kNone);
}

INSTANTIATE_TEST_SUITE_P(Types, DeviceTypeCheck,
                         ::testing::Values<std::uint8_t>(19, 0, 18, 20, 0x93, 0xFF));

}  // namespace
}  // namespace zl

// The Erase workflow: EPLD and managed flash sectors after a confirmation.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/dialog_rig.h"

namespace zl::test {
namespace {

using Texts = std::vector<std::string>;

TEST(EraseWorkflow, AnsweringNoChangesNothing) {
  DialogRig rig;
  rig.StartConnected();
  const auto written = rig.wire.Written().size();
  rig.host.Click(IDC_ERASE);
  ASSERT_EQ(rig.host.boxes.size(), 1u);
  const auto& box = rig.host.boxes[0];
  EXPECT_EQ(box.text, "Erase Flash and EPLD?");
  EXPECT_EQ(box.caption, "zetaLink");
  EXPECT_EQ(box.buttons, BoxButtons::kYesNo);
  EXPECT_EQ(box.icon, BoxIcon::kQuestion);
  EXPECT_TRUE(rig.host.statusTexts.empty());
  EXPECT_EQ(rig.wire.Written().size(), written);
  EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), "1.00");
}

TEST(EraseWorkflow, SuccessBlanksDeviceAndEnablesUpdate) {
  DialogRig rig({}, {sim::kFactoryVersion, sim::kFactoryVersion});
  rig.StartConnected();
  ASSERT_FALSE(rig.host.Enabled(IDC_UPDATE));
  rig.host.answers = {kIdYes};
  rig.host.Click(IDC_ERASE);

  EXPECT_EQ(rig.host.statusTexts,
            (Texts{"Erasing Flash and EPLD ...", "Logic: Erasing ...",
                   "Erasing all flash sectors ...", "Erasing Flash and EPLD passed!"}));
  EXPECT_EQ(rig.host.BoxTexts(), Texts{"Erase Flash and EPLD?"});
  EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), "unknown");
  EXPECT_EQ(rig.host.Text(IDC_LOGIC_CURRENT), "unknown");
  EXPECT_EQ(rig.dialog.m_nFirmwareVersion, 0);
  EXPECT_EQ(rig.dialog.m_nLogicVersion, 0);
  EXPECT_TRUE(rig.host.Enabled(IDC_UPDATE));
  EXPECT_EQ(sim::FirmwareVersionOf(rig.wire.device().flash), 0);
  EXPECT_EQ(sim::LogicVersionOf(rig.wire.device().epld), 0);
  EXPECT_FALSE(rig.wire.device().logicMode);
  EXPECT_EQ(rig.host.Text(IDC_LOADER_VERSION), "1.10");
  rig.ExpectWaitBalanced();

  // Current then shows what the blank device reports.
  rig.host.Click(IDC_CURRENT);
  EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), "unknown");
  EXPECT_EQ(rig.host.LastStatus(), "Reading current versions passed!");
}

TEST(EraseWorkflow, FailuresStillEraseWhatTheyCanAndShowUnknown) {
  sim::DeviceConfig wrongEpld;
  wrongEpld.logicDeviceType = 20;
  struct Case {
    const char* name;
    sim::DeviceConfig config;
    std::function<void(DialogRig&)> fault;
    Texts boxes;  // after the question
    bool flashErased;
  };
  const std::vector<Case> cases = {
      {"unknown EPLD type: flash still erased",
       wrongEpld,
       nullptr,
       {"Logic: Unknown ispLSI device type!"},
       true},
      {"a sector fails: no box",
       {},
       [](DialogRig& r) { r.wire.faults().failEraseSectors.insert(0x1010000); },
       {},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRig rig(c.config, {sim::kFactoryVersion, sim::kFactoryVersion});
    rig.StartConnected();
    if (c.fault)
      c.fault(rig);
    rig.host.answers = {kIdYes};
    rig.host.Click(IDC_ERASE);

    Texts expectedBoxes{"Erase Flash and EPLD?"};
    expectedBoxes.insert(expectedBoxes.end(), c.boxes.begin(), c.boxes.end());
    EXPECT_EQ(rig.host.BoxTexts(), expectedBoxes);
    EXPECT_EQ(rig.host.LastStatus(), "Erasing Flash and EPLD failed!");
    EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), "unknown");
    EXPECT_EQ(rig.host.Text(IDC_LOGIC_CURRENT), "unknown");
    EXPECT_EQ(rig.dialog.m_nFirmwareVersion, 0);
    EXPECT_EQ(rig.dialog.m_nLogicVersion, 0);
    EXPECT_FALSE(rig.host.Enabled(IDC_UPDATE));
    // Sectors run in order: the firmware area lies after the failing one.
    EXPECT_EQ(sim::FirmwareVersionOf(rig.wire.device().flash) == 0, c.flashErased);
    EXPECT_FALSE(rig.wire.device().logicMode);
    rig.ExpectWaitBalanced();
  }
}

}  // namespace
}  // namespace zl::test

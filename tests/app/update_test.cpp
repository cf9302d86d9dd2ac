// The Update workflow: firmware and logic brought to the newest files.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/dialog_rig.h"

namespace zl::test {
namespace {

using Texts = std::vector<std::string>;

std::ptrdiff_t IndexOf(const Texts& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) - texts.begin();
}
bool AnyStartsWith(const Texts& texts, const std::string& prefix) {
  return std::any_of(texts.begin(), texts.end(),
                     [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
}

TEST(UpdateWorkflow, ProgramsFirmwareThenLogicAndShowsTheNewVersions) {
  DialogRig rig;
  rig.StartConnected();
  rig.host.Click(IDC_UPDATE);

  const Texts& s = rig.host.statusTexts;
  ASSERT_FALSE(s.empty());
  EXPECT_EQ(s.front(), "Firmware: Erasing Flash ...");
  EXPECT_LT(IndexOf(s, "Firmware: Programming Flash ... passed!"),
            IndexOf(s, "Logic: Reading JEDEC File ..."));
  EXPECT_LT(IndexOf(s, "Logic: Reading JEDEC File ..."), IndexOf(s, "Logic: Erasing ..."));
  EXPECT_LT(IndexOf(s, "Logic: Erasing ..."), static_cast<std::ptrdiff_t>(s.size()));
  EXPECT_EQ(s.back(), "Updating firmware and logic passed!");
  EXPECT_TRUE(rig.host.boxes.empty()) << ::testing::PrintToString(rig.host.BoxTexts());
  EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), "1.02");
  EXPECT_EQ(rig.host.Text(IDC_LOGIC_CURRENT), "1.02");
  EXPECT_EQ(sim::FirmwareVersionOf(rig.wire.device().flash), 102);
  EXPECT_EQ(sim::LogicVersionOf(rig.wire.device().epld), 102);
  EXPECT_FALSE(rig.wire.device().logicMode);
  EXPECT_FALSE(rig.host.Enabled(IDC_UPDATE));
  rig.ExpectWaitBalanced();
}

TEST(UpdateWorkflow, EachPartOnlyWhenItsVersionDiffers) {
  struct Case {
    const char* name;
    UpdateFiles files;
    bool firmware;
    bool logic;
    const char* firmwareAfter;
    const char* logicAfter;
  };
  const std::vector<Case> cases = {
      {"logic only", {100, 102}, false, true, "1.00", "1.02"},
      {"firmware only", {102, 100}, true, false, "1.02", "1.00"},
      {"older firmware file replaces a newer device", {99, 100}, true, false, "0.99", "1.00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRig rig({}, c.files);
    rig.StartConnected();
    const auto logicModeSwitches = rig.wire.engine().CommandCount('i');
    rig.host.Click(IDC_UPDATE);
    const Texts& s = rig.host.statusTexts;
    EXPECT_EQ(AnyStartsWith(s, "Firmware:"), c.firmware);
    EXPECT_EQ(AnyStartsWith(s, "Logic:"), c.logic);
    EXPECT_EQ(rig.wire.engine().CommandCount('i') != logicModeSwitches, c.logic);
    EXPECT_EQ(rig.host.LastStatus(), "Updating firmware and logic passed!");
    EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), c.firmwareAfter);
    EXPECT_EQ(rig.host.Text(IDC_LOGIC_CURRENT), c.logicAfter);
  }
}

TEST(UpdateWorkflow, FailuresEndWithUnknownVersionsAndUpdateStillEnabled) {
  sim::DeviceConfig variant;
  variant.serialNumber = "123456789C";
  sim::DeviceConfig wrongEpld;
  wrongEpld.logicDeviceType = 20;
  struct Case {
    const char* name;
    sim::DeviceConfig config;
    UpdateFiles files;
    std::function<void(DialogRig&)> fault;
    Texts boxes;
    bool logicTried;
  };
  const std::vector<Case> cases = {
      {"firmware erase fails",
       {},
       {},
       [](DialogRig& r) { r.wire.faults().failEraseSectors.insert(0x1080000); },
       {"Firmware update failed!"},
       false},
      {"no JEDEC file", {}, {102, 0}, nullptr, {"Logic: Cannot open JEDEC file!"}, true},
      {"variant file missing",
       variant,
       {102, 102, false},
       nullptr,
       {"Logic: Cannot open JEDEC file!"},
       true},
      {"unknown EPLD type", wrongEpld, {}, nullptr, {"Logic: Unknown ispLSI device type!"}, true},
      {"read back fails: no box",
       {},
       {},
       [](DialogRig& r) { r.wire.faults().echoIdentifyCount = 1000; },
       {},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRig rig(c.config, c.files);
    rig.StartConnected();
    if (c.fault)
      c.fault(rig);
    const auto rowsBefore = rig.wire.device().epld.Row(0);
    rig.host.Click(IDC_UPDATE);

    EXPECT_EQ(rig.host.BoxTexts(), c.boxes);
    EXPECT_EQ(rig.host.LastStatus(), "Updating firmware and logic failed!");
    EXPECT_EQ(AnyStartsWith(rig.host.statusTexts, "Logic:"), c.logicTried);
    EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), "unknown");
    EXPECT_EQ(rig.host.Text(IDC_LOGIC_CURRENT), "unknown");
    EXPECT_EQ(rig.dialog.m_nFirmwareVersion, 0);
    EXPECT_EQ(rig.dialog.m_nLogicVersion, 0);
    EXPECT_EQ(rig.host.Text(IDC_LOADER_VERSION), "1.10");
    EXPECT_TRUE(rig.host.Enabled(IDC_UPDATE));
    EXPECT_FALSE(rig.wire.device().logicMode);
    if (std::string(c.name) == "unknown EPLD type") {
      EXPECT_EQ(rig.wire.device().epld.Row(0), rowsBefore);  // nothing erased
    }
    rig.ExpectWaitBalanced();
  }
}

TEST(UpdateWorkflow, SerialNumberChoosesTheJedecVariant) {
  EXPECT_EQ(JedecBaseName("123456789C"), "C32JED21");
  EXPECT_EQ(JedecBaseName("123456789D"), "C32JED20");
  EXPECT_EQ(JedecBaseName("1234567C"), "C32JED20");
  EXPECT_EQ(JedecBaseName("12345678"), "C32JED20");
  EXPECT_EQ(JedecBaseName("123456789Cx"), "C32JED20");

  // End to end: the variant device gets the variant's fuse rows.
  sim::DeviceConfig variant;
  variant.serialNumber = "123456789C";
  DialogRig rig(variant, {100, 102});
  rig.StartConnected();
  rig.host.Click(IDC_UPDATE);
  EXPECT_EQ(rig.host.LastStatus(), "Updating firmware and logic passed!");
  const auto rows = sim::FuseRows(21, 102);
  EXPECT_EQ(rig.wire.device().epld.Row(0), rows[0]);
  EXPECT_EQ(rig.wire.device().epld.Row(133), rows[133]);
  EXPECT_NE(sim::FuseRows(20, 102)[0], rows[0]);
}

TEST(UpdateWorkflow, UnreadableImageIsReportedAndTheDialogStaysUsable) {
  DialogRig rig({}, {0, 102});
  // Reading this file fails with an I/O error after it was opened.
  rig.dir.Link("ZT7C32FW.102", "/proc/self/mem");
  rig.StartConnected();
  rig.host.Click(IDC_UPDATE);

  ASSERT_EQ(rig.host.boxes.size(), 1u);
  EXPECT_NE(rig.host.boxes[0].text.find("ZT7C32FW.102"), std::string::npos)
      << rig.host.boxes[0].text;
  EXPECT_EQ(rig.host.LastStatus(), "Updating firmware and logic failed!");
  EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), "unknown");
  EXPECT_EQ(rig.host.Text(IDC_LOGIC_CURRENT), "unknown");
  EXPECT_FALSE(rig.wire.device().logicMode);
  rig.ExpectWaitBalanced();

  rig.host.Click(IDC_CURRENT);
  EXPECT_EQ(rig.host.LastStatus(), "Reading current versions passed!");
}

TEST(UpdateWorkflow, UnreadableJedecFileLeavesNoLogicModeBehind) {
  DialogRig rig({}, {100, 0});
  rig.dir.Link("C32JED20.102", "/proc/self/mem");
  rig.StartConnected();
  rig.host.Click(IDC_UPDATE);
  ASSERT_EQ(rig.host.boxes.size(), 1u);
  EXPECT_NE(rig.host.boxes[0].text.find("C32JED20.102"), std::string::npos);
  EXPECT_EQ(rig.host.LastStatus(), "Updating firmware and logic failed!");
  EXPECT_FALSE(rig.wire.device().logicMode);
  rig.ExpectWaitBalanced();
}

}  // namespace
}  // namespace zl::test

// Transmit of the network settings, and the OK and Cancel endings.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "images/setup_block.h"
#include "tests/app/dialog_rig.h"

namespace zl::test {
namespace {

using Texts = std::vector<std::string>;

SetupBlock DeviceSetupBlock(DialogRig& rig) {
  SetupBlock block{};
  rig.wire.device().flash.Read(kSetupBlockAddress, block.data(), block.size());
  return block;
}

TEST(TransmitWorkflow, WritesTheDialogsAddressesIntoTheDevice) {
  DialogRig rig;
  rig.StartConnected();
  rig.host.Type(IDC_IP, "10.0.0.7");
  rig.host.Type(IDC_GATEWAY, "255.255.255.255");  // a valid gateway text
  rig.host.Click(IDC_TRANSMIT);

  EXPECT_EQ(rig.host.statusTexts, (Texts{"Writing setup data ....", "Writing setup data passed"}));
  EXPECT_TRUE(rig.host.boxes.empty());
  EXPECT_EQ(DeviceSetupBlock(rig), BuildSetupBlock("12345678", "10.0.0.7", "255.255.255.0",
                                                   "255.255.255.255", "255.255.255.255", ""));
  EXPECT_TRUE(rig.dialog.Link().open);
  rig.ExpectWaitBalanced();
}

TEST(TransmitWorkflow, RejectedAddressesStopBeforeAnythingIsSent) {
  struct Case {
    const char* name;
    std::string ip, subnet, gateway;
    std::string box;
    int focus;
  };
  const std::vector<Case> cases = {
      {"IP", "10.0.0", "255.255.255.0", "10.0.0.1", "Invalid IP address!", IDC_IP},
      {"subnet mask", "10.0.0.7", "255.255.255", "10.0.0.1", "Invalid subnet mask!", IDC_SUBNET},
      {"empty subnet mask", "10.0.0.7", "", "10.0.0.1", "Invalid subnet mask!", IDC_SUBNET},
      {"gateway", "10.0.0.7", "255.255.255.0", "10.0.0.256", "Invalid default gateway!",
       IDC_GATEWAY},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRig rig;
    rig.StartConnected();
    const auto written = rig.wire.Written().size();
    rig.host.Type(IDC_IP, c.ip);
    rig.host.Type(IDC_SUBNET, c.subnet);
    rig.host.Type(IDC_GATEWAY, c.gateway);
    rig.host.Click(IDC_TRANSMIT);
    ASSERT_EQ(rig.host.BoxTexts(), Texts{c.box});
    EXPECT_EQ(rig.host.boxes[0].icon, BoxIcon::kExclamation);
    EXPECT_EQ(rig.host.focus, c.focus);
    EXPECT_TRUE(rig.host.statusTexts.empty());
    EXPECT_EQ(rig.wire.Written().size(), written);
  }
}

TEST(TransmitWorkflow, FailureIsReportedInAnErrorBox) {
  DialogRig rig;
  rig.StartConnected();
  rig.wire.faults().corruptSetupBlock = true;
  rig.host.Click(IDC_TRANSMIT);
  EXPECT_EQ(rig.host.statusTexts, (Texts{"Writing setup data ....", "Writing setup data failed!"}));
  ASSERT_EQ(rig.host.BoxTexts(), Texts{"Transfer failed!"});
  EXPECT_EQ(rig.host.boxes[0].caption, "Error");
  EXPECT_EQ(rig.host.boxes[0].icon, BoxIcon::kExclamation);
  EXPECT_EQ(rig.host.boxes[0].waitDepthWhenShown, 0);
  EXPECT_TRUE(rig.dialog.Link().open);
}

TEST(TransmitWorkflow, UnusableSerialNumberFailsCleanlyAndKeepsTheConnection) {
  DialogRig rig;
  rig.StartConnected();
  // The device answers the identification without a usable identity, so
  // there is no serial number to build the block from.
  rig.wire.faults().identifyWrongLength = true;
  rig.host.Click(IDC_TRANSMIT);
  EXPECT_EQ(rig.host.LastStatus(), "Writing setup data failed!");
  ASSERT_EQ(rig.host.boxes.size(), 1u);
  EXPECT_EQ(rig.host.boxes[0].text.rfind("Transfer failed!\n\n", 0), 0u) << rig.host.boxes[0].text;
  EXPECT_GT(rig.host.boxes[0].text.size(), std::string("Transfer failed!\n\n").size());
  EXPECT_EQ(rig.host.boxes[0].caption, "Error");
  rig.ExpectWaitBalanced();

  rig.wire.faults().identifyWrongLength = false;
  rig.host.Click(IDC_TRANSMIT);
  EXPECT_EQ(rig.host.LastStatus(), "Writing setup data passed");
}

TEST(DialogEnd, OkAndCancelStartTheFirmwareAndCloseTheLink) {
  struct Case {
    const char* name;
    int button;
    std::string ip;
    std::optional<int> endCode;
    Texts boxes;
  };
  const std::vector<Case> cases = {
      {"OK", IDOK, "10.0.0.7", kIdOk, {}},
      {"OK with a bad IP stays open", IDOK, "10.0.0", std::nullopt, {"Invalid IP address!"}},
      {"Cancel validates nothing", IDCANCEL, "10.0.0", kIdCancel, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRig rig;
    rig.StartConnected();
    rig.host.Type(IDC_IP, c.ip);
    rig.host.Click(c.button);
    EXPECT_EQ(rig.host.statusTexts, Texts{"Starting firmware please wait...."});
    EXPECT_EQ(rig.host.BoxTexts(), c.boxes);
    EXPECT_EQ(rig.host.endCode, c.endCode);
    EXPECT_TRUE(rig.wire.engine().FirmwareRunning());
    EXPECT_FALSE(rig.dialog.Link().open);
    EXPECT_FALSE(rig.wire.IsOpen());
    rig.ExpectWaitBalanced();
  }
}

TEST(DialogEnd, OkWithoutConnectionSendsNothingAndEnds) {
  DialogRig rig;
  rig.Start();
  rig.host.Click(IDOK);
  EXPECT_EQ(rig.host.endCode, kIdOk);
  EXPECT_TRUE(rig.wire.Written().empty());
  EXPECT_TRUE(rig.host.boxes.empty());
}

TEST(DialogEnd, AfterAFailedOkTheDeviceWorkflowsFailWithTheirOwnTexts) {
  DialogRig rig;
  rig.StartConnected();
  rig.host.Type(IDC_IP, "bad");
  rig.host.Click(IDOK);
  rig.host.ClearRecords();
  rig.host.Click(IDC_CURRENT);
  EXPECT_EQ(rig.host.BoxTexts(), Texts{"Communication with ZETA failed!"});
  EXPECT_FALSE(rig.host.Enabled(IDC_CONNECT));
}

}  // namespace
}  // namespace zl::test

// Start-up of the main dialog, its field exchange and the About entry.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/dialog_rig.h"

namespace zl::test {
namespace {

TEST(MainDialogStart, ShowsNewestFilesBlankIdentityAndStoredSettings) {
  DialogRig rig;
  rig.dialog.m_nPort = 18;
  rig.dialog.m_nSpeed = 2;
  ASSERT_TRUE(rig.host.Start(rig.dialog));

  const auto& host = rig.host;
  EXPECT_EQ(host.Control(IDC_PORT).items.size(), 19u);
  EXPECT_EQ(host.Control(IDC_PORT).items.back(), "COM19");
  EXPECT_EQ(host.ListSelection(IDC_PORT), 18);
  EXPECT_EQ(host.Control(IDC_SPEED).items,
            (std::vector<std::string>{"9600", "19200", "38400", "57600", "115200"}));
  EXPECT_EQ(host.ListSelection(IDC_SPEED), 2);
  EXPECT_EQ(host.Text(IDC_IP), "192.168.1.10");
  for (const int field : {IDC_IP, IDC_SUBNET, IDC_GATEWAY}) {
    EXPECT_EQ(host.Control(field).limit, 15) << field;
  }
  // The template's "unknown" is replaced by the empty members.
  EXPECT_EQ(host.Text(IDC_SERIAL), "");
  EXPECT_EQ(host.Text(IDC_MAC), "");
  EXPECT_EQ(host.Text(IDC_STATUS), "");
  EXPECT_EQ(host.Text(IDC_FW_NEWEST), "1.02");
  EXPECT_EQ(host.Text(IDC_LOGIC_NEWEST), "1.02");
  EXPECT_EQ(host.Text(IDC_FW_CURRENT), "unknown");
  EXPECT_EQ(host.Text(IDC_LOADER_VERSION), "");
  EXPECT_EQ(host.systemMenu, (std::vector<std::pair<int, std::string>>{
                                 {0, ""}, {IDM_ABOUTBOX, "&About zetaLink Setup..."}}));
  EXPECT_EQ(host.icon, IDR_MAINFRAME);
}

TEST(MainDialogStart, NewestVersionsComeOnlyFromTheBaseFiles) {
  struct Case {
    const char* name;
    std::vector<std::string> files;
    const char* firmware;
    const char* logic;
  };
  const std::vector<Case> cases = {
      {"no files", {}, "unknown", "unknown"},
      {"only the variant JEDEC", {"C32JED21.103"}, "unknown", "unknown"},
      {"highest of several", {"ZT7C32FW.101", "ZT7C32FW.120", "C32JED20.099"}, "1.20", "0.99"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRig rig({}, {0, 0, false});
    for (const auto& name : c.files)
      rig.dir.Write(name, "x\n");
    ASSERT_TRUE(rig.host.Start(rig.dialog));
    EXPECT_EQ(rig.host.Text(IDC_FW_NEWEST), c.firmware);
    EXPECT_EQ(rig.host.Text(IDC_LOGIC_NEWEST), c.logic);
  }
}

TEST(MainDialogStart, IndicesOutsideTheListsLeaveThemWithoutSelection) {
  DialogRig rig;
  rig.dialog.m_nPort = 25;
  rig.dialog.m_nSpeed = -3;
  ASSERT_TRUE(rig.host.Start(rig.dialog));
  EXPECT_EQ(rig.host.ListSelection(IDC_PORT), -1);
  EXPECT_EQ(rig.host.ListSelection(IDC_SPEED), -1);
  ASSERT_TRUE(rig.dialog.ExchangeFields(true));
  EXPECT_EQ(rig.dialog.m_nPort, -1);
  EXPECT_EQ(rig.dialog.m_nSpeed, -1);
}

TEST(MainDialogExchange, SavingChecksLengthsAndTheIpAddress) {
  const std::string tooLong = "192.168.100.1001";  // 16 characters
  struct Case {
    const char* name;
    std::string ip, subnet, gateway;
    std::vector<std::string> boxes;
    int focus;
  };
  const std::vector<Case> cases = {
      {"valid", "10.0.0.1", "255.255.0.0", "10.0.0.254", {}, kIdStatic},
      {"empty subnet and gateway pass", "10.0.0.1", "", "", {}, kIdStatic},
      {"all-ones IP", "255.255.255.255", "", "", {"Invalid IP address!"}, IDC_IP},
      {"empty IP", "", "", "", {"Invalid IP address!"}, IDC_IP},
      {"long IP, not parsed",
       tooLong,
       "",
       "",
       {"Please enter no more than 15 characters."},
       IDC_IP},
      {"long gateway",
       "10.0.0.1",
       "",
       tooLong,
       {"Please enter no more than 15 characters."},
       IDC_GATEWAY},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRig rig;
    rig.Start();
    rig.host.SetControlText(IDC_IP, c.ip);
    rig.host.SetControlText(IDC_SUBNET, c.subnet);
    rig.host.SetControlText(IDC_GATEWAY, c.gateway);
    EXPECT_EQ(rig.dialog.ExchangeFields(true), c.boxes.empty());
    EXPECT_EQ(rig.host.BoxTexts(), c.boxes);
    EXPECT_EQ(rig.host.focus, c.focus);
    for (const auto& box : rig.host.boxes) {
      EXPECT_EQ(box.icon, BoxIcon::kExclamation);
      EXPECT_EQ(box.caption, "zetaLink");
    }
  }
}

TEST(MainDialogExchange, FailedSavingKeepsOnlyWhatWasTransferredBefore) {
  DialogRig rig;
  rig.Start();
  rig.host.SetControlText(IDC_IP, "10.1.1.1");
  rig.host.SetControlText(IDC_SUBNET, "255.255.255.255.0");
  rig.host.SetControlText(IDC_GATEWAY, "10.1.1.254");
  rig.host.SetControlText(IDC_MAC, "typed");
  EXPECT_FALSE(rig.dialog.ExchangeFields(true));
  EXPECT_EQ(rig.dialog.m_strIp, "10.1.1.1");
  EXPECT_EQ(rig.dialog.m_strSubnet, "255.255.255.255.0");
  EXPECT_EQ(rig.dialog.m_strGateway, "192.168.1.1");  // after the failure: untouched
  EXPECT_EQ(rig.dialog.m_strMac, "");
}

TEST(MainDialogExchange, LongStoredTextIsShownInFullButTypingStopsAtTheLimit) {
  DialogRig rig;
  rig.dialog.m_strIp = "192.168.100.1001";
  rig.Start();
  EXPECT_EQ(rig.host.Text(IDC_IP), "192.168.100.1001");
  rig.host.Type(IDC_SUBNET, "255.255.255.2550");
  EXPECT_EQ(rig.host.Text(IDC_SUBNET), "255.255.255.255");
}

TEST(MainDialogAbout, WindowMenuEntryOpensTheAboutBoxWithTheVariant) {
  DialogRig rig;
  rig.Start();
  rig.host.ChooseSystemCommand(IDM_ABOUTBOX | 0x0003);  // low bits are the system's
  ASSERT_EQ(rig.host.childRuns.size(), 1u);
  EXPECT_EQ(rig.host.childRuns[0].templateId, IDD_ABOUTBOX);
  EXPECT_EQ(rig.host.childRuns[0].title, "About zetaLink Setup");
  EXPECT_EQ(rig.host.childRuns[0].texts.at(IDC_VARIANT), "CPU32");

  rig.host.ChooseSystemCommand(0xF060);  // another window command
  EXPECT_EQ(rig.host.childRuns.size(), 1u);
}

TEST(DialogTemplates, ControlIdsAreUniqueAndListsCarryTheirData) {
  for (const auto* dialogTemplate : {&MainDialogTemplate(), &AboutBoxTemplate()}) {
    std::vector<int> ids;
    for (const auto& control : dialogTemplate->controls) {
      if (control.id == kIdStatic)
        continue;
      EXPECT_EQ(std::count(ids.begin(), ids.end(), control.id), 0) << control.id;
      ids.push_back(control.id);
      EXPECT_EQ(control.kind == ControlKind::kDropDownList, !control.initialItems.empty());
    }
  }
  ASSERT_NE(MainDialogTemplate().FindControl(IDOK), nullptr);
  EXPECT_EQ(MainDialogTemplate().FindControl(IDOK)->kind, ControlKind::kDefPushButton);
  EXPECT_EQ(MainDialogTemplate().statusControl, IDC_STATUS);
}

}  // namespace
}  // namespace zl::test

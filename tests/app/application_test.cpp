// The application object: settings loaded at start, stored only on OK.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/zetasetup_app.h"
#include "images/setup_block.h"
#include "tests/app/dialog_rig.h"
#include "tests/support/fake_settings.h"

namespace zl::test {
namespace {

using Texts = std::vector<std::string>;

struct AppRig {
  explicit AppRig(FakeDialogBackend::Script script)
      : wire(clock), backend(std::move(script)), app(settings, backend, {&wire, &clock}) {
    SetProgramDirectory(dir.Path());
  }
  ~AppRig() { SetProgramDirectory(""); }

  void Store(const std::string& name, FakeSettings::Value value) {
    settings.values[{kSettingsSection, name}] = std::move(value);
  }
  FakeSettings::Value Stored(const std::string& name) const {
    return settings.values.at({kSettingsSection, name});
  }

  FakeClock clock;
  VirtualWire wire;
  TempDirectory dir;
  FakeSettings settings;
  FakeDialogBackend backend;
  CZetasetupApp app;
};

TEST(Application, FirstStartShowsTheDefaults) {
  AppRig rig([](FakeDialogHost& host, Dialog&) {
    EXPECT_EQ(host.ListSelection(IDC_PORT), 0);
    EXPECT_EQ(host.ListSelection(IDC_SPEED), 0);
    EXPECT_EQ(host.Text(IDC_IP), "111.111.111.111");
    EXPECT_EQ(host.Text(IDC_SUBNET), "255.255.255.0");
    EXPECT_EQ(host.Text(IDC_GATEWAY), "255.255.255.255");
    host.Click(IDCANCEL);
  });
  EXPECT_FALSE(rig.app.StartApplication());
  EXPECT_EQ(rig.settings.organisation, "Korvell");
  EXPECT_EQ(rig.settings.application, "zetaLink");
  EXPECT_TRUE(rig.settings.writes.empty());
}

TEST(Application, StoredValuesAreShownAndOnlyAnOkStoresThem) {
  struct Case {
    const char* name;
    std::function<void(FakeDialogHost&)> user;
    int endCode;
    bool stored;
  };
  const std::vector<Case> cases = {
      {"OK", [](FakeDialogHost& h) { h.Click(IDOK); }, kIdOk, true},
      {"Cancel", [](FakeDialogHost& h) { h.Click(IDCANCEL); }, kIdCancel, false},
      {"dialog never ended", [](FakeDialogHost&) {}, -1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AppRig rig([&](FakeDialogHost& host, Dialog&) {
      EXPECT_EQ(host.ListSelection(IDC_PORT), 3);
      EXPECT_EQ(host.ListSelection(IDC_SPEED), 4);
      EXPECT_EQ(host.Text(IDC_IP), "10.1.2.3");
      host.Choose(IDC_PORT, 5);
      host.Type(IDC_GATEWAY, "10.1.2.254");
      c.user(host);
    });
    rig.Store(kSettingComPort, 3);
    rig.Store(kSettingBaudrate, 4);
    rig.Store(kSettingZetaIp, std::string("10.1.2.3"));
    EXPECT_FALSE(rig.app.StartApplication());
    EXPECT_EQ(rig.app.LastEndCode(), c.endCode);
    if (c.stored) {
      EXPECT_EQ(rig.settings.writes, (Texts{kSettingBaudrate, kSettingComPort, kSettingZetaIp,
                                            kSettingSubnet, kSettingGateway}));
      EXPECT_EQ(rig.Stored(kSettingComPort), FakeSettings::Value(5));
      EXPECT_EQ(rig.Stored(kSettingBaudrate), FakeSettings::Value(4));
      EXPECT_EQ(rig.Stored(kSettingSubnet), FakeSettings::Value(std::string("255.255.255.0")));
      EXPECT_EQ(rig.Stored(kSettingGateway), FakeSettings::Value(std::string("10.1.2.254")));
    } else {
      EXPECT_TRUE(rig.settings.writes.empty());
      EXPECT_EQ(rig.Stored(kSettingComPort), FakeSettings::Value(3));
    }
  }
}

TEST(Application, RefusedOkStoresNothingUntilTheDialogReallyEnds) {
  AppRig rig([](FakeDialogHost& host, Dialog&) {
    host.Click(IDOK);  // the stored IP is too long for the field
    EXPECT_EQ(host.BoxTexts(), Texts{"Please enter no more than 15 characters."});
    EXPECT_FALSE(host.endCode.has_value());
    host.Type(IDC_IP, "bad");
    host.Click(IDOK);
    EXPECT_EQ(host.BoxTexts().back(), "Invalid IP address!");
    EXPECT_FALSE(host.endCode.has_value());
    host.Type(IDC_IP, "10.0.0.1");
    host.Click(IDOK);
  });
  rig.Store(kSettingZetaIp, std::string("192.168.100.1001"));
  rig.Store(kSettingComPort, 25);  // outside the list: no selection, stored as -1
  rig.app.StartApplication();
  EXPECT_EQ(rig.app.LastEndCode(), kIdOk);
  EXPECT_EQ(rig.Stored(kSettingZetaIp), FakeSettings::Value(std::string("10.0.0.1")));
  EXPECT_EQ(rig.Stored(kSettingComPort), FakeSettings::Value(-1));
}

TEST(Application, TransmitThenCancelKeepsTheStoredSettings) {
  AppRig rig([](FakeDialogHost& host, Dialog&) {
    host.Click(IDC_CONNECT);
    host.Type(IDC_IP, "10.0.0.99");
    host.Click(IDC_TRANSMIT);
    EXPECT_EQ(host.LastStatus(), "Writing setup data passed");
    host.Click(IDCANCEL);
  });
  rig.app.StartApplication();
  EXPECT_EQ(rig.app.LastEndCode(), kIdCancel);
  EXPECT_TRUE(rig.settings.writes.empty());
  std::uint8_t ip[4] = {};
  rig.wire.device().flash.Read(kSetupBlockAddress + 8, ip, 4);
  EXPECT_EQ(ip[3], 99);
}

}  // namespace
}  // namespace zl::test

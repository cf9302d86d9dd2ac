// Which workflow buttons are enabled after each event of the dialog.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/dialog_rig.h"

namespace zl::test {
namespace {

struct ButtonStates {
  bool connect, current, erase, transmit, update;
  bool operator==(const ButtonStates&) const = default;
};

void PrintTo(const ButtonStates& s, std::ostream* os) {
  *os << "connect " << s.connect << " current " << s.current << " erase " << s.erase << " transmit "
      << s.transmit << " update " << s.update;
}

ButtonStates StatesOf(const FakeDialogHost& host) {
  return {host.Enabled(IDC_CONNECT), host.Enabled(IDC_CURRENT), host.Enabled(IDC_ERASE),
          host.Enabled(IDC_TRANSMIT), host.Enabled(IDC_UPDATE)};
}

using Action = std::function<void(DialogRig&)>;

void Connect(DialogRig& rig) {
  rig.host.Click(IDC_CONNECT);
}

TEST(ButtonStates, FollowEveryEventOfTheDialog) {
  constexpr UpdateFiles kNewer{};  // files 1.02, device 1.00
  constexpr UpdateFiles kEqual{sim::kFactoryVersion, sim::kFactoryVersion};  // both 1.00
  sim::DeviceConfig wrongEpld;
  wrongEpld.logicDeviceType = 20;

  struct Case {
    const char* event;
    sim::DeviceConfig config;
    UpdateFiles files;
    Action before;  // after start-up
    Action event_;
    ButtonStates expected;
  };
  const std::vector<Case> cases = {
      {"initialise", {}, kNewer, nullptr, nullptr, {true, false, false, false, false}},
      {"connect passed, files differ",
       {},
       kNewer,
       nullptr,
       Connect,
       {false, true, true, true, true}},
      {"connect passed, files equal",
       {},
       kEqual,
       nullptr,
       Connect,
       {false, true, true, true, false}},
      {"connect failed",
       {},
       kNewer,
       [](DialogRig& r) { r.wire.Unplug(); },
       Connect,
       {true, false, false, false, false}},
      {"current passed: update rule",
       {},
       kEqual,
       [](DialogRig& r) {
         Connect(r);
         r.wire.device().flash.EraseSector(sim::kFirmwareArea);
       },
       [](DialogRig& r) { r.host.Click(IDC_CURRENT); },
       {false, true, true, true, true}},
      {"current failed: unchanged",
       {},
       kEqual,
       [](DialogRig& r) {
         Connect(r);
         r.wire.device().flash.EraseSector(sim::kFirmwareArea);
         r.wire.Unplug();
       },
       [](DialogRig& r) { r.host.Click(IDC_CURRENT); },
       {false, true, true, true, false}},
      {"update passed: update rule",
       {},
       kNewer,
       Connect,
       [](DialogRig& r) { r.host.Click(IDC_UPDATE); },
       {false, true, true, true, false}},
      {"update failed: unchanged",
       {},
       kNewer,
       [](DialogRig& r) {
         Connect(r);
         r.wire.faults().failEraseSectors.insert(0x1040000);
       },
       [](DialogRig& r) { r.host.Click(IDC_UPDATE); },
       {false, true, true, true, true}},
      {"erase passed: update enabled",
       {},
       kEqual,
       Connect,
       [](DialogRig& r) {
         r.host.answers = {kIdYes};
         r.host.Click(IDC_ERASE);
       },
       {false, true, true, true, true}},
      {"erase failed: unchanged",
       wrongEpld,
       kEqual,
       Connect,
       [](DialogRig& r) {
         r.host.answers = {kIdYes};
         r.host.Click(IDC_ERASE);
       },
       {false, true, true, true, false}},
      {"transmit passed",
       {},
       kEqual,
       Connect,
       [](DialogRig& r) { r.host.Click(IDC_TRANSMIT); },
       {false, true, true, true, false}},
      {"transmit failed",
       {},
       kEqual,
       [](DialogRig& r) {
         Connect(r);
         r.wire.faults().corruptSetupBlock = true;
       },
       [](DialogRig& r) { r.host.Click(IDC_TRANSMIT); },
       {false, true, true, true, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.event);
    DialogRig rig(c.config, c.files);
    ASSERT_TRUE(rig.host.Start(rig.dialog));
    if (c.before)
      c.before(rig);
    if (c.event_)
      c.event_(rig);
    EXPECT_EQ(StatesOf(rig.host), c.expected) << ::testing::PrintToString(rig.host.statusTexts);
    EXPECT_TRUE(rig.host.Enabled(IDOK));
    EXPECT_TRUE(rig.host.Enabled(IDCANCEL));
  }
}

}  // namespace
}  // namespace zl::test

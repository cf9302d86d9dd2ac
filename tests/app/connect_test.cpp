// Connect and Current: opening the link, reading the identity, showing it.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/dialog_rig.h"

namespace zl::test {
namespace {

using Texts = std::vector<std::string>;

TEST(ConnectWorkflow, ShowsTheIdentityAndKeepsTheLinkOpen) {
  DialogRig rig;
  rig.Start();
  rig.host.Click(IDC_CONNECT);

  EXPECT_EQ(rig.host.statusTexts,
            (Texts{"Connecting to ZETA Loader ...", "Connecting to ZETA Loader passed!"}));
  EXPECT_TRUE(rig.host.boxes.empty());
  EXPECT_EQ(rig.host.Text(IDC_SERIAL), "12345678");
  EXPECT_EQ(rig.host.Text(IDC_MAC), "02F1A9123456");
  EXPECT_EQ(rig.host.Text(IDC_LOADER_VERSION), "1.10");
  EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), "1.00");
  EXPECT_EQ(rig.host.Text(IDC_LOGIC_CURRENT), "1.00");
  EXPECT_EQ(rig.wire.HostSpeed(), 115200u);
  EXPECT_TRUE(rig.dialog.Link().open);
  EXPECT_EQ(rig.wire.OpenCount(), 1u);
  rig.ExpectWaitBalanced();
}

TEST(ConnectWorkflow, FailuresCloseTheLinkAndExplain) {
  struct Case {
    const char* name;
    std::function<void(DialogRig&)> fault;
    std::string box;
    std::uint32_t opens;
  };
  const std::vector<Case> cases = {
      {"port missing: ten attempts", [](DialogRig& r) { r.wire.Unplug(); },
       "Cannot connect to ZETA loader!", 0},
      {"identification fails every time",
       [](DialogRig& r) { r.wire.faults().echoIdentifyCount = 1000; },
       "Cannot connect to ZETA loader!", 10},
      {"loader version 0", [](DialogRig& r) { r.wire.faults().identifyZeroLoader = true; },
       "There is no Zeta7 connected!", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogRig rig;
    rig.Start();
    c.fault(rig);
    rig.host.Click(IDC_CONNECT);
    ASSERT_EQ(rig.host.BoxTexts(), Texts{c.box});
    EXPECT_EQ(rig.host.boxes[0].icon, BoxIcon::kNone);
    EXPECT_EQ(rig.host.boxes[0].waitDepthWhenShown, 0);
    EXPECT_EQ(rig.host.statusTexts,
              (Texts{"Connecting to ZETA Loader ...", "Connecting to ZETA loader failed!"}));
    EXPECT_EQ(rig.wire.OpenCount(), c.opens);
    EXPECT_FALSE(rig.wire.IsOpen());
    EXPECT_FALSE(rig.dialog.Link().open);
    EXPECT_TRUE(rig.host.Enabled(IDC_CONNECT));
    rig.ExpectWaitBalanced();
  }
}

TEST(ConnectWorkflow, ZeroLoaderVersionStillShowsWhatWasRead) {
  DialogRig rig;
  rig.Start();
  rig.wire.faults().identifyZeroLoader = true;
  rig.host.Click(IDC_CONNECT);
  EXPECT_EQ(rig.host.Text(IDC_LOADER_VERSION), "unknown");
  EXPECT_EQ(rig.host.Text(IDC_SERIAL), "12345678");
  // The user can try again once the device answers properly.
  rig.wire.faults().identifyZeroLoader = false;
  rig.host.ClearRecords();
  rig.host.Click(IDC_CONNECT);
  EXPECT_EQ(rig.host.LastStatus(), "Connecting to ZETA Loader passed!");
}

TEST(ConnectWorkflow, LaterAttemptSucceedsWithoutTrace) {
  DialogRig rig;
  rig.Start();
  // Each attempt's identification is tried three times; the first two
  // attempts lose all their answers.
  rig.wire.faults().dropResponses = {1, 2, 3, 4, 5, 6};
  rig.host.Click(IDC_CONNECT);
  EXPECT_EQ(rig.host.statusTexts,
            (Texts{"Connecting to ZETA Loader ...", "Connecting to ZETA Loader passed!"}));
  EXPECT_TRUE(rig.host.boxes.empty());
  EXPECT_EQ(rig.wire.OpenCount(), 3u);
}

TEST(ConnectWorkflow, InvalidIpStopsBeforeAnyPortIsOpened) {
  DialogRig rig;
  rig.Start();
  rig.host.Type(IDC_IP, "192.168.1");
  rig.host.Click(IDC_CONNECT);
  EXPECT_EQ(rig.host.BoxTexts(), Texts{"Invalid IP address!"});
  EXPECT_TRUE(rig.host.statusTexts.empty());
  EXPECT_EQ(rig.wire.OpenCount(), 0u);
}

// Forwards to the wire and keeps the device names asked for.
class NameRecordingChannel : public SerialChannel {
 public:
  explicit NameRecordingChannel(SerialChannel& inner) : inner_(inner) {}
  bool Open(const std::string& device) override {
    names.push_back(device);
    return inner_.Open(device);
  }
  bool Configure() override { return inner_.Configure(); }
  bool SetSpeed(std::uint32_t speed) override { return inner_.SetSpeed(speed); }
  bool ReadByte(std::uint8_t& byte) override { return inner_.ReadByte(byte); }
  bool Write(const std::uint8_t* data, std::size_t count, std::size_t& written) override {
    return inner_.Write(data, count, written);
  }
  void PurgeInput() override { inner_.PurgeInput(); }
  bool ClearError() override { return inner_.ClearError(); }
  void Close() override { inner_.Close(); }
  std::vector<std::string> names;

 private:
  SerialChannel& inner_;
};

TEST(ConnectWorkflow, PortAndSpeedComeFromTheListIndices) {
  struct Case {
    int port;
    int speed;
    const char* device;
    std::uint32_t bitsPerSecond;
  };
  const std::vector<Case> cases = {
      {0, 0, "\\\\.\\COM1", 9600},   {18, 4, "\\\\.\\COM19", 115200}, {-1, -1, "\\\\.\\COM0", 9600},
      {9, 1, "\\\\.\\COM10", 19200}, {2, 5, "\\\\.\\COM3", 9600},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.device);
    FakeClock clock;
    VirtualWire wire(clock);
    NameRecordingChannel channel(wire);
    CZetasetupDlg dialog(DeviceEnvironment{&channel, &clock});
    EXPECT_EQ(dialog.LinkOpenByIndex(c.port, c.speed), kOk);
    EXPECT_EQ(channel.names, std::vector<std::string>{c.device});
    EXPECT_EQ(wire.HostSpeed(), c.bitsPerSecond);
    EXPECT_EQ(SpeedFromIndex(c.speed), c.bitsPerSecond);
  }
}

TEST(ConnectWorkflow, MacTextIsThePrefixAndTheFirstSixSerialCharacters) {
  EXPECT_EQ(MacFromSerial("12345678"), "02F1A9123456");
  EXPECT_EQ(MacFromSerial("123456789C"), "02F1A9123456");
  EXPECT_EQ(MacFromSerial("1234"), "02F1A91234");
  EXPECT_EQ(MacFromSerial(""), "02F1A9");
}

TEST(CurrentWorkflow, RereadsVersionsAndReloadsAllFields) {
  DialogRig rig({}, {sim::kFactoryVersion, sim::kFactoryVersion});
  rig.StartConnected();
  EXPECT_FALSE(rig.host.Enabled(IDC_UPDATE));
  rig.wire.device().flash.EraseSector(sim::kFirmwareArea);
  rig.host.Type(IDC_IP, "10.9.9.9");  // typed, never saved

  rig.host.Click(IDC_CURRENT);
  EXPECT_EQ(rig.host.statusTexts,
            (Texts{"Reading current versions, please wait.", "Reading current versions passed!"}));
  EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), "unknown");
  EXPECT_EQ(rig.host.Text(IDC_IP), "192.168.1.10");
  EXPECT_TRUE(rig.host.Enabled(IDC_UPDATE));
  rig.ExpectWaitBalanced();
}

TEST(CurrentWorkflow, FailureKeepsFieldsAndConnection) {
  DialogRig rig;
  rig.StartConnected();
  rig.wire.faults().echoIdentifyCount = 1000;
  rig.host.Click(IDC_CURRENT);
  ASSERT_EQ(rig.host.BoxTexts(), Texts{"Communication with ZETA failed!"});
  EXPECT_EQ(rig.host.boxes[0].waitDepthWhenShown, 0);
  EXPECT_EQ(rig.host.LastStatus(), "Reading current versions failed!");
  EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), "1.00");
  EXPECT_EQ(rig.host.Text(IDC_SERIAL), "12345678");
  EXPECT_TRUE(rig.dialog.Link().open);

  rig.wire.faults().echoIdentifyCount = 0;
  rig.host.Click(IDC_CURRENT);
  EXPECT_EQ(rig.host.LastStatus(), "Reading current versions passed!");
}

}  // namespace
}  // namespace zl::test

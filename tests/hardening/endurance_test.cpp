// A long run of tool sessions against one emulated device with random
// faults at a low rate: each session connects, reads the versions, writes
// the setup block, updates and ends with OK. Every run must end in bounded
// fake-clock time, every failure must be reported as one and be explained by
// an injected fault, and every reported success is checked on the device.
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "images/image_files.h"
#include "images/setup_block.h"
#include "sim/device.h"
#include "sim/sample_content.h"
#include "tests/app/dialog_rig.h"

namespace zl::test {
namespace {

constexpr int kCycles = 500;
constexpr double kFaultRate = 0.08;              // per workflow run
constexpr std::uint32_t kCycleBoundMs = 180000;  // fake-clock time of one session
constexpr std::uint32_t kSeed = 20261211;

enum class Flow { kConnect, kCurrent, kTransmit, kUpdate, kOk };

struct Counts {
  int cycles = 0;
  int runs = 0;
  int faults = 0;
  int failuresReported = 0;
  int successesVerified = 0;
};

class Endurance {
 public:
  Endurance() : wire_(clock_), random_(kSeed) {
    for (const auto& file : sim::SampleFiles(sim::kSampleVersion))
      dir_.Write(file.name, file.content);
    SetProgramDirectory(dir_.Path());
  }
  ~Endurance() { SetProgramDirectory(""); }

  void Cycle() {
    ++counts.cycles;
    const std::uint32_t start = clock_.Now();
    Age();
    CZetasetupDlg dialog(DeviceEnvironment{&wire_, &clock_});
    FakeDialogHost host(MainDialogTemplate());
    dialog.m_nPort = 0;
    dialog.m_nSpeed = Pick(0, 4);
    dialog.m_strIp = "10.0." + std::to_string(Pick(0, 255)) + "." + std::to_string(Pick(1, 254));
    dialog.m_strSubnet = "255.255.0.0";
    dialog.m_strGateway = "10.0.0.1";
    ASSERT_TRUE(host.Start(dialog));

    for (const Flow flow : {Flow::kConnect, Flow::kCurrent, Flow::kTransmit, Flow::kUpdate}) {
      if (!Run(flow, dialog, host) && flow == Flow::kConnect)
        break;  // a failed Connect leaves nothing else to do
    }
    Run(Flow::kOk, dialog, host);
    EXPECT_EQ(host.endCode, kIdOk);
    EXPECT_FALSE(wire_.IsOpen());
    EXPECT_EQ(host.waitDepth, 0);

    const std::uint32_t elapsed = clock_.Now() - start;
    EXPECT_LE(elapsed, kCycleBoundMs) << "cycle " << counts.cycles;
    if (wire_.Dead())
      wire_.Replug();  // the user plugs the adapter in again
  }

  Counts counts;

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < p; }

  // Between sessions the device may have lost its firmware or logic, so
  // that Update has work to do.
  void Age() {
    sim::Device& device = wire_.device();
    if (Chance(0.5))
      device.flash.EraseSector(sim::kFirmwareArea);
    if (Chance(0.25))
      device.epld.BulkErase();
  }

  // Roughly how many responses and line bytes a workflow takes, so that a
  // fault mostly strikes inside the run it was armed for.
  static std::pair<int, int> Span(Flow flow) {
    switch (flow) {
      case Flow::kConnect:
        return {4, 80};
      case Flow::kCurrent:
        return {2, 20};
      case Flow::kTransmit:
        return {6, 200};
      case Flow::kUpdate:
        return {320, 40000};
      case Flow::kOk:
        break;
    }
    return {1, 10};
  }

  // Arms one random fault for the coming run of a workflow.
  void InjectRandomFault(Flow flow) {
    ++counts.faults;
    sim::DeviceFaults& f = wire_.faults();
    const auto [responses, bytes] = Span(flow);
    const std::uint32_t target =
        wire_.engine().ResponseCount() + static_cast<std::uint32_t>(Pick(1, responses));
    switch (Pick(0, 13)) {
      case 0:
        f.dropResponses = {target};
        break;
      case 1:
        f.dropResponses = {target, target + 1, target + 2};
        break;
      case 2:
        f.corruptChecksumResponses = {target};
        break;
      case 3:
        f.corruptChecksumResponses = {target, target + 1, target + 2};
        break;
      case 4:
        f.lateResponses = {{target, static_cast<std::uint32_t>(Pick(50, 3000))}};
        break;
      case 5:
        f.noiseBeforeResponses = {target};
        break;
      case 6:
        f.echoIdentifyCount = 1;
        break;
      case 7: {
        static constexpr std::uint32_t kSectors[] = {0x1008000, 0x100C000, 0x1010000,
                                                     0x1040000, 0x1080000, 0x10C0000};
        f.failEraseSectors = {kSectors[Pick(0, 5)]};
        break;
      }
      case 8:
        f.failProgram = true;
        break;
      case 9:
        f.corruptSetupBlock = true;
        break;
      case 10:
        f.corruptRowProgrammed = static_cast<std::size_t>(Pick(0, 133));
        break;
      case 11:
        f.corruptRowErased = static_cast<std::size_t>(Pick(0, 133));
        break;
      case 12:
        f.corruptUes = true;
        break;
      default:
        f.hangUpAfterBytes = wire_.Written().size() + static_cast<std::uint64_t>(Pick(1, bytes));
        break;
    }
  }

  static int Button(Flow flow) {
    switch (flow) {
      case Flow::kConnect:
        return IDC_CONNECT;
      case Flow::kCurrent:
        return IDC_CURRENT;
      case Flow::kTransmit:
        return IDC_TRANSMIT;
      case Flow::kUpdate:
        return IDC_UPDATE;
      case Flow::kOk:
        return IDOK;
    }
    return 0;
  }

  static std::pair<std::string, std::string> Texts(Flow flow) {
    switch (flow) {
      case Flow::kConnect:
        return {"Connecting to ZETA Loader passed!", "Connecting to ZETA loader failed!"};
      case Flow::kCurrent:
        return {"Reading current versions passed!", "Reading current versions failed!"};
      case Flow::kTransmit:
        return {"Writing setup data passed", "Writing setup data failed!"};
      case Flow::kUpdate:
        return {"Updating firmware and logic passed!", "Updating firmware and logic failed!"};
      case Flow::kOk:
        break;
    }
    return {"Starting firmware please wait....", "Starting firmware please wait...."};
  }

  // Runs one workflow; false when it failed.
  bool Run(Flow flow, CZetasetupDlg& dialog, FakeDialogHost& host) {
    if (!host.Enabled(Button(flow)))
      return true;  // Update with nothing to do
    ++counts.runs;
    const bool faulted = Chance(kFaultRate);
    if (faulted)
      InjectRandomFault(flow);
    const bool deadBefore = wire_.Dead();
    host.ClearRecords();
    host.Click(Button(flow));
    const bool explained = faulted || deadBefore;
    wire_.faults() = sim::DeviceFaults{};  // a hang-up stays until the replug

    const auto [passText, failText] = Texts(flow);
    const std::string status = host.LastStatus();
    EXPECT_TRUE(status == passText || status == failText)
        << "cycle " << counts.cycles << ": " << status;
    EXPECT_EQ(host.waitDepth, 0);
    if (flow == Flow::kOk)
      return true;
    if (status == failText) {
      ++counts.failuresReported;
      EXPECT_TRUE(explained) << "cycle " << counts.cycles << ": failure without a fault: "
                             << ::testing::PrintToString(host.statusTexts)
                             << ::testing::PrintToString(host.BoxTexts());
      return false;
    }
    EXPECT_TRUE(host.boxes.empty()) << ::testing::PrintToString(host.BoxTexts());
    Verify(flow, dialog, host);
    ++counts.successesVerified;
    return true;
  }

  // A reported success must be true of the device.
  void Verify(Flow flow, CZetasetupDlg& dialog, FakeDialogHost& host) {
    const sim::Device& device = wire_.device();
    const auto firmware = sim::FirmwareVersionOf(device.flash);
    const auto logic = sim::LogicVersionOf(device.epld);
    switch (flow) {
      case Flow::kConnect:
      case Flow::kCurrent:
        EXPECT_EQ(host.Text(IDC_SERIAL), device.config.serialNumber);
        EXPECT_EQ(host.Text(IDC_FW_CURRENT), FormatVersion(firmware)) << "cycle " << counts.cycles;
        EXPECT_EQ(host.Text(IDC_LOGIC_CURRENT), FormatVersion(logic)) << "cycle " << counts.cycles;
        break;
      case Flow::kTransmit: {
        SetupBlock block{};
        device.flash.Read(kSetupBlockAddress, block.data(), block.size());
        EXPECT_EQ(block,
                  BuildSetupBlock(device.config.serialNumber, dialog.m_strIp, dialog.m_strSubnet,
                                  dialog.m_strGateway, "255.255.255.255", ""))
            << "cycle " << counts.cycles;
        break;
      }
      case Flow::kUpdate: {
        EXPECT_EQ(firmware, sim::kSampleVersion) << "cycle " << counts.cycles;
        const auto content = sim::FirmwareContent(sim::kSampleVersion);
        std::vector<std::uint8_t> flash(content.size());
        device.flash.Read(sim::kFirmwareVersionAddress, flash.data(), flash.size());
        EXPECT_EQ(flash, content) << "cycle " << counts.cycles;
        EXPECT_EQ(logic, sim::kSampleVersion) << "cycle " << counts.cycles;
        const auto rows = sim::FuseRows(20, sim::kSampleVersion);
        for (std::size_t row = 0; row < rows.size(); ++row)
          ASSERT_EQ(device.epld.Row(row), rows[row]) << "cycle " << counts.cycles << " row " << row;
        EXPECT_EQ(host.Text(IDC_FW_CURRENT), "1.02");
        EXPECT_EQ(host.Text(IDC_LOGIC_CURRENT), "1.02");
        break;
      }
      case Flow::kOk:
        break;
    }
  }

  FakeClock clock_;
  VirtualWire wire_;
  TempDirectory dir_;
  std::mt19937 random_;
};

TEST(Endurance, SessionsWithRandomFaultsNeverHangOrMisreport) {
  Endurance run;
  for (int i = 0; i < kCycles; ++i) {
    run.Cycle();
    if (::testing::Test::HasFatalFailure())
      break;
  }
  const Counts& c = run.counts;
  std::printf(
      "endurance: %d cycles, %d workflow runs, %d faults injected, %d failures reported, %d "
      "successes verified\n",
      c.cycles, c.runs, c.faults, c.failuresReported, c.successesVerified);
  EXPECT_EQ(c.cycles, kCycles);
  EXPECT_GT(c.faults, 0);
  EXPECT_GT(c.failuresReported, 0);
  EXPECT_EQ(c.failuresReported + c.successesVerified, c.runs - c.cycles);  // OK is not counted
}

}  // namespace
}  // namespace zl::test

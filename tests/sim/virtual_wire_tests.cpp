#include <gtest/gtest.h>

#include <string>

#include "link/frame_codec.h"
#include "link/loader_commands.h"
#include "link/loader_link.h"
#include "tests/support/fake_clock.h"
#include "tests/support/virtual_wire.h"

namespace zl::test {
namespace {

const char* const kCom1 = "\\\\.\\COM1";

struct WireFixture : ::testing::Test {
  WireFixture() : wire(clock) { wire.Attach(link.port); }
  FakeClock clock{1000};
  VirtualWire wire;
  LoaderLink link;
};

TEST_F(WireFixture, ASilentReadCostsOnePlatformReadOfTime) {
  ASSERT_TRUE(wire.Open("x"));
  std::uint8_t byte = 0;
  const std::uint32_t before = clock.Now();
  EXPECT_FALSE(wire.ReadByte(byte));
  EXPECT_EQ(clock.Now() - before, 110u);
}

TEST_F(WireFixture, AnswersArriveAfterTheLineTimeAndTheDevicesBusyTime) {
  wire.device().config.sectorEraseMs = 3000;
  ASSERT_EQ(LinkOpen(link, kCom1, 9600), kOk);
  std::uint32_t before = clock.Now();
  ASSERT_EQ(LoaderEraseSector(link, 0x1040000), kOk);
  EXPECT_GE(clock.Now() - before, 3000u);
  EXPECT_LT(clock.Now() - before, 3500u);

  // 488 bytes of answer at 9600 bit/s take about half a second.
  ASSERT_EQ(LoaderLogicMode(link, true), kOk);
  std::string programmed, erased;
  before = clock.Now();
  ASSERT_EQ(LoaderLogicReadRow(link, 1, programmed, erased), kOk);
  EXPECT_GE(clock.Now() - before, 500u);

  wire.pacing = false;
  before = clock.Now();
  ASSERT_EQ(LoaderLogicReadRow(link, 1, programmed, erased), kOk);
  EXPECT_LT(clock.Now() - before, 50u);
}

TEST_F(WireFixture, PurgeDropsOnlyWhatHasArrived) {
  ASSERT_EQ(LinkOpen(link, kCom1, 9600), kOk);
  const std::uint8_t probe[] = {0x00, 0x01, 0x01};
  const auto frame = FrameEncode(probe, sizeof probe);
  std::size_t written = 0;
  // Both sides run at 9600; the probe's answer starts on its way at once.
  ASSERT_TRUE(wire.Write(frame.data(), frame.size(), written));
  wire.PurgeInput();
  EXPECT_EQ(wire.PendingToHost(), frame.size()) << "still on the line";
  clock.Advance(100);
  wire.PurgeInput();
  EXPECT_EQ(wire.PendingToHost(), 0u);
}

TEST_F(WireFixture, HostPortFaults) {
  wire.portFaults.failOpen = true;
  wire.portFaults.openFailure = OpenFailure::kPermission;
  EXPECT_EQ(LinkOpen(link, kCom1, 9600), kErrPortOpen);
  EXPECT_EQ(wire.LastOpenFailure(), OpenFailure::kPermission);

  wire.portFaults.failOpen = false;
  wire.portFaults.failConfigure = true;
  EXPECT_EQ(LinkOpen(link, kCom1, 9600), kErrPortOpen);
  EXPECT_FALSE(wire.IsOpen()) << "closed again after the failed configuration";

  wire.portFaults.failConfigure = false;
  ASSERT_EQ(LinkOpen(link, kCom1, 9600), kOk);
  EXPECT_FALSE(wire.Open("again")) << "held exclusively";
  EXPECT_EQ(wire.LastOpenFailure(), OpenFailure::kBusy);

  wire.portFaults.writeLimit = 4;
  DeviceIdentity identity;
  EXPECT_EQ(LoaderIdentify(link, identity), kErrNoResponse);
  wire.portFaults.writeLimit.reset();
  EXPECT_EQ(LoaderIdentify(link, identity), kOk);
}

}  // namespace
}  // namespace zl::test

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "link/loader_commands.h"
#include "link/loader_link.h"
#include "sim/device.h"
#include "sim/sample_content.h"
#include "tests/support/fake_clock.h"
#include "tests/support/virtual_wire.h"

namespace zl {
namespace {

using test::FakeClock;
using test::VirtualWire;

const char* const kCom1 = "\\\\.\\COM1";

class LinkOverWire : public ::testing::Test {
 protected:
  explicit LinkOverWire(sim::DeviceConfig config = {}) : wire(clock, config) {
    wire.Attach(link.port);
  }

  void Open(std::uint32_t speed = 115200) { ASSERT_EQ(LinkOpen(link, kCom1, speed), kOk); }

  FakeClock clock;
  VirtualWire wire;
  LoaderLink link;
};

// Every starting speed of the loader against every requested speed: the
// link ends at the requested speed on both sides, and the loader answers.
class SpeedNegotiation : public ::testing::TestWithParam<std::tuple<std::uint32_t, std::uint32_t>> {
};

TEST_P(SpeedNegotiation, EndsAtTheRequestedSpeedOnBothSides) {
  const auto [start, requested] = GetParam();
  FakeClock clock;
  sim::DeviceConfig config;
  config.startSpeed = start;
  VirtualWire wire(clock, config);
  LoaderLink link;
  wire.Attach(link.port);

  ASSERT_EQ(LinkOpen(link, kCom1, requested), kOk);
  EXPECT_EQ(wire.engine().Speed(), requested);
  EXPECT_EQ(wire.HostSpeed(), requested);
  DeviceIdentity identity;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.serialNumber, "12345678");
  // The port's top speed is tried first, then the requested one; a loader
  // elsewhere is found by the scan from the bottom and moved by the speed
  // message.
  std::vector<std::uint32_t> expected = {115200, requested};
  if (start != requested) {
    for (auto speed : kLinkSpeedTable) {
      expected.push_back(speed);
      if (speed == start) {
        break;
      }
    }
    expected.push_back(requested);
  }
  EXPECT_EQ(wire.SpeedsSet(), expected);
}

INSTANTIATE_TEST_SUITE_P(AllSpeeds, SpeedNegotiation,
                         ::testing::Combine(::testing::ValuesIn(kLinkSpeedTable),
                                            ::testing::ValuesIn(kLinkSpeedTable)));

TEST_F(LinkOverWire, FreshDeviceIdentifiesWithFactoryVersions) {
  Open();
  DeviceIdentity identity;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.loaderVersion, 110);
  EXPECT_EQ(identity.firmwareVersion, sim::kFactoryVersion);
  EXPECT_EQ(identity.logicVersion, sim::kFactoryVersion);
  EXPECT_EQ(identity.serialNumber, "12345678");
}

}  // namespace
}  // namespace zl

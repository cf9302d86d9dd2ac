#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "link/loader_link.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_ui.h"
#include "tests/support/virtual_wire.h"

namespace zl::test {

// An open loader connection to a factory-fresh emulated device.
class DeviceFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    wire.Attach(link.port);
    ASSERT_EQ(LinkOpen(link, "\\\\.\\COM1", 115200), kOk);
  }
  void TearDown() override { LinkClose(link); }

  std::vector<std::uint8_t> Flash(std::uint32_t address, std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    EXPECT_TRUE(wire.device().flash.Read(address, bytes.data(), length));
    return bytes;
  }
  const std::vector<std::uint8_t>& WholeFlash() { return wire.device().flash.Bytes(); }
  std::uint32_t Commands(char code) { return wire.engine().CommandCount(code); }

  FakeClock clock;
  VirtualWire wire{clock};
  LoaderLink link;
  RecordingUi ui;
};

}  // namespace zl::test

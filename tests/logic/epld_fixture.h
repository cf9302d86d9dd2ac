#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/loader_commands.h"
#include "link/loader_link.h"
#include "logic/fuse_map.h"
#include "sim/device.h"
#include "tests/logic/jedec_text.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_ui.h"
#include "tests/support/virtual_wire.h"

namespace zl::test {

// An open link to the emulated loader with the logic programming mode on
// and the EPLD erased. Every command the loader handles is logged, so the
// tests see the device's side of the traffic.
class EpldFixture : public ::testing::Test {
 public:
  static constexpr const char* kUesText = "B6001E0102";

  void SetUp() override {
    wire.Attach(link.port);
    ASSERT_EQ(LinkOpen(link, "\\\\.\\COM1", 115200), kOk);
    wire.device().logicMode = true;
    wire.device().epld.BulkErase();
    wire.engine().SetLog([this](const std::string& line) { deviceLog.push_back(line); });
    firstResponse = wire.engine().ResponseCount() + 1;
  }
  void TearDown() override { LinkClose(link); }

  // Every attempt at the n-th command from now (0-based) goes unanswered,
  // so that command fails after the link's retries.
  void FailCommand(std::uint32_t n) {
    for (std::uint32_t attempt = 0; attempt < 3; ++attempt) {
      wire.faults().dropResponses.insert(firstResponse + n + attempt);
    }
  }

  // Puts the fuse map and its signature into the EPLD directly.
  void LoadDevice() {
    for (std::size_t row = 0; row < kFuseRowCount; ++row) {
      wire.device().epld.SetRow(row, fuses[row]);
    }
    wire.device().epld.SetUes(sim::UesBitsOf(kUesText));
  }

  // The logged commands with the given code, e.g. "'l' 5 -> 0".
  std::vector<std::string> Commands(char code) const {
    std::vector<std::string> lines;
    const std::string prefix = std::string("'") + code + "'";
    for (const std::string& line : deviceLog) {
      if (line.rfind(prefix, 0) == 0) {
        lines.push_back(line);
      }
    }
    return lines;
  }

  FakeClock clock;
  VirtualWire wire{clock};
  LoaderLink link;
  RecordingUi ui;
  FuseMap fuses = ExpectedFuseMap();
  std::vector<std::string> deviceLog;
  std::uint32_t firstResponse = 1;
};

inline std::string Progress(const char* stage, unsigned percent) {
  return std::string(stage) + " ( " + std::to_string(percent) + "% )";
}

}  // namespace zl::test

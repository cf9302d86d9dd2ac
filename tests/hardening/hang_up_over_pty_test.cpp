// The line dying under the real programs: zeta7-sim on a pseudo-terminal
// hangs up part way through Connect, Update and Transmit of zetalink-cli.
// The tool must end each with a failure within seconds, and once the device
// is back (the emulator restarted on its saved state) a new Connect works.
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/demo_device.h"
#include "tests/cli/child_process.h"

namespace zl {
namespace {

using test::RunProgram;
using test::RunResult;

const std::string kBin = ZL_BIN_DIR;
constexpr int kRunTimeoutMs = 60000;
constexpr int kFailWithinMs = 15000;  // a dead line is noticed in seconds

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string Describe(const RunResult& run) {
  return "exit " + std::to_string(run.exitStatus) + (run.timedOut ? " (timed out)" : "") +
         " after " + std::to_string(run.elapsedMs) + " ms\n--- stdout\n" + run.out +
         "--- stderr\n" + run.err;
}

class HangUpOverPty : public ::testing::Test {
 protected:
  void SetUp() override {
    state_ = std::filesystem::temp_directory_path() /
             ("zl-hangup-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".state");
    std::filesystem::remove(state_);
  }
  void TearDown() override {
    device_.Stop();
    std::filesystem::remove(state_);
  }

  // Starts the emulator on its state file, unpaced.
  void StartDevice(std::vector<std::string> options = {}) {
    options.insert(options.end(), {"--no-pacing", "--state", state_.string()});
    std::string error;
    ASSERT_TRUE(device_.Start(kBin, options, error)) << error;
  }

  RunResult Run(const std::vector<std::string>& args) const {
    std::vector<std::string> argv = {kBin + "/zetalink-cli", "--port", device_.DevicePath(),
                                     "--images", kBin + "/sample-images"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, kRunTimeoutMs);
  }

  // The adapter is plugged in again: the emulator restarts on the memory it
  // kept, and a new run connects.
  void ExpectConnectAfterReplug(const std::string& firmwareLine) {
    device_.Stop();
    StartDevice();
    const RunResult again = Run({"info"});
    EXPECT_EQ(again.exitStatus, 0) << Describe(again);
    EXPECT_TRUE(Contains(again.out, "Connecting to ZETA Loader passed!\n")) << Describe(again);
    EXPECT_TRUE(Contains(again.out, firmwareLine)) << Describe(again);
  }

  std::filesystem::path state_;
  DemoDevice device_;
};

TEST_F(HangUpOverPty, DuringConnect) {
  // Two wake-up bytes and the probe frame get through; the line dies in the
  // speed message.
  StartDevice({"--hang-up-after", "14"});
  const RunResult run = Run({"info"});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 3) << Describe(run);
  EXPECT_LT(run.elapsedMs, kFailWithinMs) << Describe(run);
  EXPECT_TRUE(Contains(run.err, "zetaLink: Cannot connect to ZETA loader!\n")) << Describe(run);
  EXPECT_TRUE(Contains(run.out, "Connecting to ZETA loader failed!\n")) << Describe(run);

  ExpectConnectAfterReplug("Firmware:       1.00");
}

TEST_F(HangUpOverPty, DuringUpdate) {
  // The firmware is written; the line dies among the EPLD rows.
  StartDevice({"--hang-up-after", "20000"});
  const RunResult run = Run({"update", "current"});  // current is skipped
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 1) << Describe(run);
  EXPECT_LT(run.elapsedMs, kFailWithinMs) << Describe(run);
  EXPECT_TRUE(Contains(run.out, "Firmware: Programming Flash ... passed!\n")) << Describe(run);
  EXPECT_TRUE(Contains(run.out, "Logic: Programming ...")) << Describe(run);
  EXPECT_TRUE(Contains(run.err, "Communication with ZETA failed!")) << Describe(run);
  EXPECT_TRUE(Contains(run.out, "Updating firmware and logic failed!\n")) << Describe(run);
  EXPECT_FALSE(Contains(run.out, "Updating firmware and logic passed!")) << Describe(run);
  EXPECT_FALSE(Contains(run.out, "Reading current versions passed!")) << Describe(run);

  // The new firmware stays; the half-written logic has no signature, and a
  // new Update mends it.
  ExpectConnectAfterReplug("Firmware:       1.02");
  const RunResult mend = Run({"update"});
  EXPECT_EQ(mend.exitStatus, 0) << Describe(mend);
  EXPECT_FALSE(Contains(mend.out, "Firmware: Erasing")) << Describe(mend);
  EXPECT_TRUE(Contains(mend.out, "Logic:          1.02")) << Describe(mend);
}

TEST_F(HangUpOverPty, DuringTransmit) {
  // Connect (some 70 bytes) and the identification of the transmit get
  // through; the line dies in the erase of the setup sector.
  StartDevice({"--hang-up-after", "80"});
  const RunResult run = Run({"--ip", "10.0.0.1", "transmit"});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 1) << Describe(run);
  EXPECT_LT(run.elapsedMs, kFailWithinMs) << Describe(run);
  EXPECT_TRUE(Contains(run.out, "Connecting to ZETA Loader passed!\n")) << Describe(run);
  EXPECT_TRUE(Contains(run.out, "Writing setup data failed!\n")) << Describe(run);
  EXPECT_TRUE(Contains(run.err, "Transfer failed!")) << Describe(run);

  ExpectConnectAfterReplug("Firmware:       1.00");
  const RunResult retry = Run({"--ip", "10.0.0.1", "transmit"});
  EXPECT_EQ(retry.exitStatus, 0) << Describe(retry);
  EXPECT_TRUE(Contains(retry.out, "Writing setup data passed\n")) << Describe(retry);
}

}  // namespace
}  // namespace zl

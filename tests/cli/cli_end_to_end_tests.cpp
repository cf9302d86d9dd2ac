// zetalink-cli end to end: the real program against the zeta7-sim process
// over real pseudo-terminals. Every run has a bounded time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/demo_device.h"
#include "platform/posix/termios_channel.h"
#include "tests/cli/child_process.h"
#include "tests/cli/json_value.h"

namespace zl {
namespace {

using test::ChildProcess;
using test::RunProgram;
using test::RunResult;

const std::string kBin = ZL_BIN_DIR;
constexpr int kRunTimeoutMs = 60000;

std::string Cli() {
  return kBin + "/zetalink-cli";
}
std::string SampleImages() {
  return kBin + "/sample-images";
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The JSON summary: the last line on stdout.
test::JsonValue Summary(const RunResult& run) {
  std::string text = run.out;
  while (!text.empty() && text.back() == '\n')
    text.pop_back();
  const auto start = text.rfind('\n');
  const auto parsed = test::ParseJson(start == std::string::npos ? text : text.substr(start + 1));
  EXPECT_TRUE(parsed.has_value()) << run.out;
  return parsed.value_or(test::JsonValue{});
}

std::string Describe(const RunResult& run) {
  return "exit " + std::to_string(run.exitStatus) + (run.timedOut ? " (timed out)" : "") +
         "\n--- stdout\n" + run.out + "--- stderr\n" + run.err;
}

class CliAgainstEmulator : public ::testing::Test {
 protected:
  // Starts the emulator; unpaced unless the test needs real line timing.
  void StartDevice(std::vector<std::string> options = {}, bool paced = false) {
    if (!paced)
      options.push_back("--no-pacing");
    std::string error;
    ASSERT_TRUE(device_.Start(kBin, options, error)) << error;
  }

  std::vector<std::string> Command(const std::vector<std::string>& args) const {
    std::vector<std::string> argv = {Cli(), "--port", device_.DevicePath(), "--images",
                                     SampleImages()};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
  }

  RunResult Run(const std::vector<std::string>& args) const {
    return RunProgram(Command(args), kRunTimeoutMs);
  }

  DemoDevice device_;
};

TEST_F(CliAgainstEmulator, InfoShowsTheIdentityAndStartsTheFirmware) {
  StartDevice();
  const RunResult run = Run({"info"});
  ASSERT_EQ(run.exitStatus, 0) << Describe(run);
  for (const char* line :
       {"Connecting to ZETA Loader ...\n", "Connecting to ZETA Loader passed!\n",
        "Serial number:  12345678\n", "MAC address:    02F1A9123456\n", "Loader version: 1.10\n",
        "Firmware:       1.00 (newest file 1.02)\n", "Logic:          1.00 (newest file 1.02)\n",
        "Starting firmware please wait....\n"}) {
    EXPECT_TRUE(Contains(run.out, line)) << line << Describe(run);
  }
  EXPECT_EQ(run.err, "");
}

TEST_F(CliAgainstEmulator, UpdateProgramsFirmwareAndLogicThenHasNothingMoreToDo) {
  StartDevice();
  const RunResult update = Run({"--json", "update"});
  ASSERT_EQ(update.exitStatus, 0) << Describe(update);
  for (const char* line :
       {"Firmware: Erasing Flash ...\n", "Firmware: Programming Flash ... ( 50% )\n",
        "Firmware: Programming Flash ... passed!\n", "Logic: Reading JEDEC File ...\n",
        "Logic: Erasing ...\n", "Logic: Programming ... ( 99% )\n",
        "Logic: Verifying ... ( 99% )\n", "Updating firmware and logic passed!\n",
        "Firmware:       1.02 (newest file 1.02)\n", "Logic:          1.02 (newest file 1.02)\n"}) {
    EXPECT_TRUE(Contains(update.out, line)) << line << Describe(update);
  }
  // Off a terminal every text is a line of its own, repeats left out.
  EXPECT_FALSE(Contains(update.out, "\r"));
  EXPECT_FALSE(Contains(update.out, "( 0% )\nLogic: Programming ... ( 0% )\n"));
  EXPECT_TRUE(Contains(update.out, "Programmed ")) << update.out;

  const test::JsonValue summary = Summary(update);
  EXPECT_TRUE(summary["connected"].boolean);
  EXPECT_EQ(summary["identity"]["serial"].text, "12345678");
  EXPECT_EQ(summary["versions"]["firmware"]["current"].text, "1.02");
  ASSERT_EQ(summary["commands"].items.size(), 2u);
  const test::JsonValue& command = summary["commands"][1];
  EXPECT_EQ(command["command"].text, "update");
  EXPECT_EQ(command["outcome"].text, "passed");
  EXPECT_GT(command["flash_bytes"].number, 4000);
  EXPECT_EQ(command["logic_rows"].number, 134);
  EXPECT_EQ(summary["exit_status"].number, 0);
  EXPECT_GT(summary["traffic"]["transactions"].number, 400);

  // The device kept what was programmed: Current reads the new versions and
  // a second Update finds nothing to do.
  const RunResult again = Run({"current", "update"});
  ASSERT_EQ(again.exitStatus, 0) << Describe(again);
  EXPECT_TRUE(Contains(again.out, "Reading current versions passed!\n"));
  EXPECT_TRUE(Contains(again.out, "nothing to update")) << again.out;
  EXPECT_FALSE(Contains(again.out, "Firmware: Erasing Flash"));
}

TEST_F(CliAgainstEmulator, EraseChangesNothingUntilConfirmed) {
  StartDevice();
  const RunResult refused = Run({"--json", "erase"});
  EXPECT_EQ(refused.exitStatus, 1) << Describe(refused);
  EXPECT_TRUE(Contains(refused.err, "zetaLink: Erase Flash and EPLD?\n")) << refused.err;
  EXPECT_TRUE(Contains(refused.err, "--yes")) << refused.err;
  EXPECT_FALSE(Contains(refused.out, "Erasing"));
  EXPECT_EQ(Summary(refused)["commands"][1]["outcome"].text, "not confirmed");
  EXPECT_EQ(Summary(refused)["exit_status"].number, 1);

  const RunResult unchanged = Run({"info"});
  EXPECT_TRUE(Contains(unchanged.out, "Firmware:       1.00")) << Describe(unchanged);

  const RunResult erased = Run({"--yes", "erase", "current"});
  ASSERT_EQ(erased.exitStatus, 0) << Describe(erased);
  for (const char* line :
       {"Erasing Flash and EPLD ...\n", "Logic: Erasing ...\n", "Erasing all flash sectors ...\n",
        "Erasing Flash and EPLD passed!\n", "Firmware:       unknown (newest file 1.02)\n"}) {
    EXPECT_TRUE(Contains(erased.out, line)) << line << Describe(erased);
  }
}

TEST_F(CliAgainstEmulator, TransmitWritesTheSetupBlock) {
  StartDevice();
  const RunResult run = Run({"--ip", "10.1.2.3", "--subnet", "255.255.0.0", "--trace", "transmit"});
  ASSERT_EQ(run.exitStatus, 0) << Describe(run);
  EXPECT_TRUE(Contains(run.out, "Writing setup data ....\nWriting setup data passed\n"));
  // The block goes to the setup sector: 'h' (68) at 01 00 80 00, with the address 0A 01 02 03.
  EXPECT_TRUE(Contains(run.err, " 68 01 00 80 00 ")) << run.err;
  EXPECT_TRUE(Contains(run.err, "0A 01 02 03")) << run.err;
}

TEST_F(CliAgainstEmulator, TraceShowsEveryFrameWithItsTime) {
  StartDevice();
  const RunResult run = Run({"--trace", "info"});
  ASSERT_EQ(run.exitStatus, 0) << Describe(run);
  // The probe, the identification requests and the start command, each sent
  // as line bytes; answers as payloads.
  EXPECT_TRUE(Contains(run.err, "] TX 10 02 00 01 01 10 03 00\n")) << run.err;
  EXPECT_TRUE(Contains(run.err, "] RX ")) << run.err;
  EXPECT_TRUE(Contains(run.err, "] TX 10 02 10 10 01 72 10 03 ")) << run.err;  // 'r', sequence 0
  EXPECT_TRUE(Contains(run.err, " 01 71 10 03 ")) << run.err;                  // 'q'
  EXPECT_EQ(run.err.substr(0, 1), "[");
}

TEST_F(CliAgainstEmulator, ArgumentsTheDialogRefusesEndWithStatus2BeforeTheDeviceIsTouched) {
  StartDevice();
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--ip", "300.1.2.3", "info"}, "zetaLink: Invalid IP address!\n"},
      {{"--ip", "10.0.0.1", "--subnet", "255.255.0.256", "transmit"}, "Invalid subnet mask!"},
      {{"--ip", "10.0.0.1", "--gateway", "10.0.0.1.2.3.4.5", "transmit"},
       "zetaLink: Please enter no more than 15 characters.\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "--trace");
    const RunResult run = Run(args);
    EXPECT_EQ(run.exitStatus, 2) << Describe(run);
    EXPECT_TRUE(Contains(run.err, c.message)) << Describe(run);
    EXPECT_TRUE(Contains(run.err, "Usage: zetalink-cli")) << Describe(run);
    EXPECT_FALSE(Contains(run.err, " 68 01 00 80 00 ")) << "setup block written\n" << Describe(run);
  }
}

TEST(CliArguments, BadArgumentsEndWithStatus2AndAUsageLine) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"flash"}, "flash not in"},
      {{"--speed", "12345", "info"}, "--speed"},
      {{"--demo", "--port", "COM2"}, "excludes"},
      {{"--port", "COM20"}, "COM1 to COM19"},
      {{"--images", "/nonexistent/zetalink-images"}, "--images"},
      {{"--port", "/dev/null", "transmit"}, "--ip"},
      {{"--no-such-option"}, "no-such-option"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {Cli()};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const RunResult run = RunProgram(argv, kRunTimeoutMs);
    EXPECT_EQ(run.exitStatus, 2) << Describe(run);
    EXPECT_TRUE(Contains(run.err, c.message)) << Describe(run);
    EXPECT_TRUE(Contains(run.err, "Usage: zetalink-cli")) << Describe(run);
    EXPECT_EQ(run.out, "") << Describe(run);
  }
}

TEST(CliPorts, ListPortsShowsWhereEachComNumberLeads) {
  setenv("ZETALINK_COM3", "/dev/null", 1);
  setenv("ZETALINK_COM4", "/dev/zetalink-no-such-port", 1);
  const RunResult run = RunProgram({Cli(), "--list-ports", "--json"}, kRunTimeoutMs);
  unsetenv("ZETALINK_COM3");
  unsetenv("ZETALINK_COM4");
  ASSERT_EQ(run.exitStatus, 0) << Describe(run);
  const test::JsonValue ports = Summary(run)["ports"];
  ASSERT_EQ(ports.items.size(), 19u);
  EXPECT_EQ(ports[0]["name"].text, "COM1");
  EXPECT_EQ(ports[18]["name"].text, "COM19");
  EXPECT_EQ(ports[2]["path"].text, "/dev/null");
  EXPECT_TRUE(ports[2]["exists"].boolean);
  EXPECT_EQ(ports[3]["path"].text, "/dev/zetalink-no-such-port");
  EXPECT_FALSE(ports[3]["exists"].boolean);
}

TEST(CliPorts, PortsThatCannotServeEndWithStatus3AndSayWhy) {
  // A pseudo-terminal nobody answers on.
  int master = -1;
  int slave = -1;
  char name[256] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  close(slave);
  const std::string silent = name;

  // One held by another program.
  int busyMaster = -1;
  int busySlave = -1;
  char busyName[256] = {};
  ASSERT_EQ(openpty(&busyMaster, &busySlave, busyName, nullptr, nullptr), 0);
  close(busySlave);
  TermiosChannel holder;
  ASSERT_TRUE(holder.Open(busyName));

  struct Case {
    std::string port;
    std::string message;
    int maxMs;
  };
  const Case cases[] = {
      {"/dev/zetalink-no-such-port",
       "cannot open COM1 (/dev/zetalink-no-such-port): no such device", 5000},
      {busyName, "the port is busy", 5000},
      {silent, "no loader answered on COM1 (" + silent + ") at 115200 bit/s", kRunTimeoutMs},
  };
  for (const auto& c : cases) {
    const RunResult run = RunProgram({Cli(), "--port", c.port, "--json", "info"}, kRunTimeoutMs);
    EXPECT_EQ(run.exitStatus, 3) << Describe(run);
    EXPECT_TRUE(Contains(run.err, c.message)) << Describe(run);
    EXPECT_TRUE(Contains(run.err, "zetaLink: Cannot connect to ZETA loader!\n")) << Describe(run);
    EXPECT_LT(run.elapsedMs, c.maxMs) << c.port;
    const test::JsonValue summary = Summary(run);
    EXPECT_FALSE(summary["connected"].boolean);
    EXPECT_EQ(summary["exit_status"].number, 3);
    EXPECT_EQ(summary["commands"][1]["outcome"].text, "skipped");
  }
  holder.Close();
  close(master);
  close(busyMaster);
}

TEST(CliPorts, PermissionDeniedHintsAtTheDialoutGroup) {
  if (geteuid() == 0)
    GTEST_SKIP() << "root may open any device";
  char path[] = "/tmp/zetalink-port-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  chmod(path, 0);
  const RunResult run = RunProgram({Cli(), "--port", path, "info"}, kRunTimeoutMs);
  unlink(path);
  EXPECT_EQ(run.exitStatus, 3) << Describe(run);
  EXPECT_TRUE(Contains(run.err, "permission denied")) << Describe(run);
  EXPECT_TRUE(Contains(run.err, "dialout")) << Describe(run);
}

TEST_F(CliAgainstEmulator, DeviceHangingUpDuringAnUpdateFailsTheUpdateWithoutHanging) {
  // The line dies about half way through the firmware.
  StartDevice({"--hang-up-after", "3000"});
  const RunResult run = Run({"--json", "update", "transmit", "--ip", "10.0.0.1"});
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitStatus, 1) << Describe(run);
  EXPECT_LT(run.elapsedMs, 30000);
  EXPECT_TRUE(Contains(run.err, "zetaLink: Firmware update failed!\n")) << Describe(run);
  EXPECT_TRUE(Contains(run.out, "Updating firmware and logic failed!\n")) << Describe(run);
  EXPECT_TRUE(Contains(run.out, "Firmware:       unknown")) << Describe(run);
  const test::JsonValue summary = Summary(run);
  EXPECT_EQ(summary["commands"][1]["outcome"].text, "failed");
  EXPECT_EQ(summary["commands"][2]["outcome"].text, "skipped");
}

TEST_F(CliAgainstEmulator, CtrlCEndsTheRunWithStatus130AndReleasesThePort) {
  StartDevice({}, /*paced=*/true);
  ChildProcess child;
  ASSERT_TRUE(child.Start(Command({"update"})));
  ASSERT_TRUE(child.WaitFor(
      [&] { return Contains(child.Out(), "Firmware: Programming Flash ... ( 5"); }, kRunTimeoutMs))
      << child.Out() << child.Err();
  child.Signal(SIGINT);
  ASSERT_TRUE(child.WaitExit(10000)) << child.Out() << child.Err();
  EXPECT_EQ(child.ExitStatus(), 130) << child.Out() << child.Err();
  EXPECT_TRUE(Contains(child.Err(), "interrupted")) << child.Err();

  // The port is free again and the device still answers.
  const RunResult after = Run({"info"});
  EXPECT_EQ(after.exitStatus, 0) << Describe(after);
}

TEST(CliDemo, DemoRunsAgainstItsOwnEmulatorAndStopsIt) {
  const RunResult run = RunProgram({Cli(), "--demo", "--json", "info"}, kRunTimeoutMs);
  ASSERT_EQ(run.exitStatus, 0) << Describe(run);
  EXPECT_TRUE(Contains(run.out, "Firmware:       1.00 (newest file 1.02)\n")) << run.out;
  const std::string port = Summary(run)["port"].text;  // "COM1 (/dev/pts/N)"
  ASSERT_EQ(port.rfind("COM1 (/dev/", 0), 0u) << port;
  const std::string path = port.substr(6, port.size() - 7);
  // The emulator has ended, and its pseudo-terminal with it.
  EXPECT_NE(access(path.c_str(), F_OK), 0) << path;
}

TEST(DemoDevice, StartsPointsCom1AtThePseudoTerminalAndStopsCleanly) {
  unsetenv(kDemoComVariable);
  DemoDevice missing;
  std::string error;
  EXPECT_FALSE(missing.Start("/nonexistent", {}, error));
  EXPECT_TRUE(Contains(error, "/nonexistent/zeta7-sim")) << error;
  EXPECT_EQ(std::getenv(kDemoComVariable), nullptr);

  DemoDevice refused;
  EXPECT_FALSE(refused.Start(kBin, {"--speed", "1"}, error));  // the emulator refuses and ends
  EXPECT_TRUE(Contains(error, "ended")) << error;
  EXPECT_FALSE(refused.Running());

  setenv(kDemoComVariable, "/dev/earlier", 1);
  DemoDevice device;
  ASSERT_TRUE(device.Start(kBin, {"--no-pacing"}, error)) << error;
  const int pid = device.ProcessId();
  EXPECT_EQ(std::string(std::getenv(kDemoComVariable)), device.DevicePath());
  const int fd = open(device.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  EXPECT_EQ(isatty(fd), 1) << device.DevicePath();
  close(fd);
  device.Stop();
  EXPECT_FALSE(device.Running());
  EXPECT_EQ(kill(pid, 0), -1);  // reaped, not a zombie
  EXPECT_EQ(errno, ESRCH);
  EXPECT_EQ(std::string(std::getenv(kDemoComVariable)), "/dev/earlier");
  unsetenv(kDemoComVariable);
}

}  // namespace
}  // namespace zl

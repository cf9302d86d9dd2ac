#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/frame_codec.h"
#include "link/loader_commands.h"
#include "link/loader_link.h"
#include "platform/clock.h"
#include "platform/posix/termios_channel.h"
#include "sim/device.h"
#include "sim/frame_decoder.h"
#include "sim/sample_content.h"

namespace zl {
namespace {

using std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

// zeta7-sim as a child process: started with options, its pseudo-terminal
// path read from its first output line, its standard error kept in a file.
class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& options) {
    log_ = std::filesystem::temp_directory_path() /
           ("zeta7-sim-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter_));
    int out[2];
    if (pipe(out) != 0) {
      return;
    }
    std::vector<std::string> args = {ZETA7_SIM_PATH};
    args.insert(args.end(), options.begin(), options.end());
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      std::FILE* err = std::fopen(log_.c_str(), "w");
      if (err != nullptr) {
        dup2(fileno(err), STDERR_FILENO);
      }
      close(out[0]);
      close(out[1]);
      std::vector<char*> argv;
      for (auto& a : args) {
        argv.push_back(a.data());
      }
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    out_ = out[0];
    // The first line, within five seconds.
    const auto deadline = SteadyClock::now() + milliseconds(5000);
    char c = 0;
    while (SteadyClock::now() < deadline) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) {
        continue;
      }
      if (read(out_, &c, 1) != 1 || c == '\n') {
        break;
      }
      path_.push_back(c);
    }
  }

  ~SimProcess() {
    Stop();
    if (out_ >= 0) {
      close(out_);
    }
    std::filesystem::remove(log_);
  }

  const std::string& Path() const { return path_; }
  int Pid() const { return pid_; }

  // Sends the signal and returns the exit status (-1 when it had to be
  // killed).
  int Stop(int signal = SIGTERM) {
    if (pid_ <= 0) {
      return status_;
    }
    kill(pid_, signal);
    const auto deadline = SteadyClock::now() + milliseconds(3000);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (SteadyClock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        status_ = -1;
        pid_ = 0;
        return status_;
      }
      std::this_thread::sleep_for(milliseconds(10));
    }
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    pid_ = 0;
    return status_;
  }

  std::string Log() const {
    std::ifstream in(log_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // User plus system CPU time in clock ticks.
  long CpuTicks() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
    std::string stat;
    std::getline(in, stat);
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
      if (i == 14) {
        utime = std::stol(field);
      } else if (i == 15) {
        stime = std::stol(field);
      }
    }
    return utime + stime;
  }

 private:
  static inline int counter_ = 0;
  int pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string path_;
  std::filesystem::path log_;
};

// The tool's real termios channel and link on the emulator's pty.
class OverPty : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> options) {
    options.push_back("--log");
    sim_ = std::make_unique<SimProcess>(options);
    ASSERT_FALSE(sim_->Path().empty()) << "zeta7-sim did not report its port";
    channel_ = std::make_unique<TermiosChannel>(PortOverrides{{"COM1", sim_->Path()}});
    link.port.channel = channel_.get();
    link.port.clock = &DefaultClock();
  }
  void TearDown() override { LinkClose(link); }

  ResultCode Open(std::uint32_t speed = 115200) { return LinkOpen(link, "\\\\.\\COM1", speed); }

  std::unique_ptr<SimProcess> sim_;
  std::unique_ptr<TermiosChannel> channel_;
  LoaderLink link;
};

struct SpeedPair {
  std::uint32_t start;
  std::uint32_t requested;
};

class PtySpeeds : public OverPty, public ::testing::WithParamInterface<SpeedPair> {};

TEST_P(PtySpeeds, NegotiationMovesTheDeviceToTheRequestedSpeed) {
  const auto [start, requested] = GetParam();
  Start({"--speed", std::to_string(start)});
  ASSERT_EQ(Open(requested), kOk);
  DeviceIdentity identity;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.serialNumber, "12345678");
  const std::string moved =
      "speed " + std::to_string(requested) + " requested, now " + std::to_string(requested);
  // Only a device elsewhere is sent the speed message, which needs the
  // probes at the wrong speed to have gone unanswered.
  EXPECT_EQ(sim_->Log().find(moved) != std::string::npos, start != requested) << sim_->Log();
}

INSTANTIATE_TEST_SUITE_P(Pairs, PtySpeeds,
                         ::testing::Values(SpeedPair{9600, 115200}, SpeedPair{115200, 9600},
                                           SpeedPair{57600, 19200}, SpeedPair{38400, 38400}),
                         [](const auto& info) {
                           return "From" + std::to_string(info.param.start) + "To" +
                                  std::to_string(info.param.requested);
                         });

TEST_F(OverPty, EveryCommand) {
  Start({"--erase-time", "20"});
  ASSERT_EQ(Open(), kOk);
  DeviceIdentity identity;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.loaderVersion, 110);
  EXPECT_EQ(identity.firmwareVersion, sim::kFactoryVersion);
  EXPECT_EQ(identity.logicVersion, sim::kFactoryVersion);

  ASSERT_EQ(LoaderEraseAllSectors(link), kOk);
  std::vector<std::uint8_t> data(1491);
  for (std::size_t i = 0; i < data.size(); ++i) {
    data[i] = static_cast<std::uint8_t>(i * 7);  // DLE bytes included
  }
  std::uint32_t value = 0;
  ASSERT_EQ(LoaderProgramMemory(link, 0x1080000, 1491, data.data(), value), kOk);
  std::vector<std::uint8_t> back(1491);
  ASSERT_EQ(LoaderReadMemory(link, 0x1080000, 1491, back.data()), kOk);
  EXPECT_EQ(back, data);
  EXPECT_EQ(LoaderProgramMemory(link, 0x1080000, 1, std::vector<std::uint8_t>{0xFF}.data(), value),
            kErrProgramFailed);

  ASSERT_EQ(LoaderLogicMode(link, true), kOk);
  std::uint8_t type = 0;
  ASSERT_EQ(LoaderLogicReadId(link, type), kOk);
  EXPECT_EQ(type, 19);
  ASSERT_EQ(LoaderLogicErase(link), kOk);
  const std::string row = sim::FuseRows(20, 7)[0];
  ASSERT_EQ(LoaderLogicWriteRow(link, 16, row), kOk);
  std::string programmed, erased, ues;
  ASSERT_EQ(LoaderLogicReadRow(link, 16, programmed, erased), kOk);
  EXPECT_EQ(programmed, row);
  EXPECT_EQ(erased, row);
  ASSERT_EQ(LoaderLogicWriteUes(link, sim::UesBitsOf("B6001E0042")), kOk);
  ASSERT_EQ(LoaderLogicReadUes(link, ues), kOk);
  EXPECT_EQ(ues, sim::UesBitsOf("B6001E0042"));
  ASSERT_EQ(LoaderLogicMode(link, false), kOk);

  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.firmwareVersion, 0);
  EXPECT_EQ(identity.logicVersion, 42);
  EXPECT_EQ(LoaderStartFirmware(link), kOk);
}

TEST_F(OverPty, ADroppedResponseIsRetriedAndAnEchoedIdentifyFails) {
  Start({"--drop-response", "1", "--echo-identify", "2", "--speed", "115200"});
  ASSERT_EQ(Open(), kOk);
  DeviceIdentity identity;
  // The first echo is lost, the retry brings the second.
  EXPECT_EQ(LoaderIdentify(link, identity), kErrIdentifyEcho);
  EXPECT_NE(sim_->Log().find("dropped"), std::string::npos);
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.serialNumber, "12345678");
}

TEST_F(OverPty, HangingUpEndsInAFailureNotAHang) {
  // At 115200 from the start the link writes 10 bytes (wake-up and probe);
  // the line dies inside the first command.
  Start({"--speed", "115200", "--hang-up-after", "14"});
  ASSERT_EQ(Open(), kOk);
  DeviceIdentity identity;
  const auto before = SteadyClock::now();
  EXPECT_LT(LoaderIdentify(link, identity), 0);
  EXPECT_LT(SteadyClock::now() - before, milliseconds(10000));
  LinkClose(link);
  EXPECT_LT(Open(), 0);
}

TEST_F(OverPty, SurvivesTheToolClosingAndReopeningWithoutSpinning) {
  Start({});
  ASSERT_EQ(Open(), kOk);
  LinkClose(link);
  // No slave open: the master reports a hang-up, which must not make the
  // emulator spin.
  std::this_thread::sleep_for(milliseconds(200));
  const long before = sim_->CpuTicks();
  std::this_thread::sleep_for(milliseconds(1000));
  EXPECT_LT(sim_->CpuTicks() - before, 30) << "clock ticks used in one idle second";
  ASSERT_EQ(Open(), kOk);
  DeviceIdentity identity;
  EXPECT_EQ(LoaderIdentify(link, identity), kOk);
}

TEST_F(OverPty, StateFileKeepsTheDeviceBetweenRuns) {
  const auto state =
      std::filesystem::temp_directory_path() / ("zeta7-sim-state-" + std::to_string(getpid()));
  std::filesystem::remove(state);
  Start({"--state", state.string(), "--serial", "0000001234", "--erase-time", "0"});
  ASSERT_EQ(Open(), kOk);
  ASSERT_EQ(LoaderEraseSector(link, 0x1008000), kOk);
  const std::uint8_t block[4] = {0x02, 0xF1, 0xA9, 0x00};
  std::uint32_t value = 0;
  ASSERT_EQ(LoaderProgramMemory(link, 0x1008000, 4, block, value), kOk);
  LinkClose(link);
  EXPECT_EQ(sim_->Stop(), 0);

  Start({"--state", state.string()});
  ASSERT_EQ(Open(), kOk);
  std::uint8_t back[5] = {};
  ASSERT_EQ(LoaderReadMemory(link, 0x1008000, 5, back), kOk);
  EXPECT_EQ(std::vector<std::uint8_t>(back, back + 5),
            (std::vector<std::uint8_t>{0x02, 0xF1, 0xA9, 0x00, 0xFF}));
  DeviceIdentity identity;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.serialNumber, "0000001234");
  EXPECT_EQ(identity.firmwareVersion, sim::kFactoryVersion);
  LinkClose(link);
  EXPECT_EQ(sim_->Stop(), 0);
  std::filesystem::remove(state);
}

TEST_F(OverPty, AnswersArePacedAtTheLineSpeed) {
  Start({});
  ASSERT_EQ(Open(9600), kOk);
  ASSERT_EQ(LoaderLogicMode(link, true), kOk);
  std::string programmed, erased;
  const auto before = SteadyClock::now();
  ASSERT_EQ(LoaderLogicReadRow(link, 0, programmed, erased), kOk);
  // A 488-byte answer at 10 bits per byte.
  EXPECT_GE(SteadyClock::now() - before, milliseconds(480));
  LinkClose(link);
  EXPECT_EQ(sim_->Stop(SIGINT), 0);
}

// Reads one frame's payload from a descriptor within a deadline.
std::vector<std::uint8_t> ReadFrame(int fd, milliseconds within) {
  sim::FrameDecoder decoder;
  const auto deadline = SteadyClock::now() + within;
  while (SteadyClock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) {
      continue;
    }
    std::uint8_t byte = 0;
    if (read(fd, &byte, 1) == 1 && decoder.Feed(byte)) {
      return decoder.Payload();
    }
  }
  return {};
}

TEST(SimProgram, ServesAGivenTtyAndSetsItsSpeed) {
  // The emulator on the slave of a pseudo-terminal of ours; the test plays
  // the tool on the master.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string slave = ptsname(master);
  SimProcess sim({"--tty", slave, "--no-pacing"});
  ASSERT_EQ(sim.Path(), slave);

  const auto send = [master](const std::vector<std::uint8_t>& payload) {
    const auto frame = FrameEncode(payload.data(), payload.size());
    return write(master, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size());
  };
  const auto speedOfLine = [master] {
    termios t{};
    tcgetattr(master, &t);
    return cfgetospeed(&t);
  };
  EXPECT_EQ(speedOfLine(), B9600);
  ASSERT_TRUE(send({0x00, 0x01, 0x01}));
  EXPECT_EQ(ReadFrame(master, milliseconds(2000)), (std::vector<std::uint8_t>{0x00, 0x01, 0x01}));
  ASSERT_TRUE(send({0x00, 0x05, 0x03, 0x00, 0x01, 0xC2, 0x00}));
  EXPECT_EQ(ReadFrame(master, milliseconds(2000)),
            (std::vector<std::uint8_t>{0x00, 0x05, 0x03, 0x00, 0x01, 0xC2, 0x00}));
  const auto deadline = SteadyClock::now() + milliseconds(2000);
  while (speedOfLine() != B115200 && SteadyClock::now() < deadline) {
    std::this_thread::sleep_for(milliseconds(10));
  }
  EXPECT_EQ(speedOfLine(), B115200) << "the device moved its tty after the answer";
  EXPECT_EQ(sim.Stop(), 0);
  close(master);
}

TEST(SimProgram, RejectsBadOptionsAndBrokenStateFiles) {
  const auto state =
      std::filesystem::temp_directory_path() / ("zeta7-sim-bad-state-" + std::to_string(getpid()));
  std::ofstream(state) << "zeta7-sim state 1\nrow 200 01\n";
  for (const std::vector<std::string>& options : {std::vector<std::string>{"--serial", "123"},
                                                  {"--speed", "12345"},
                                                  {"--bogus"},
                                                  {"--late-response", "3"},
                                                  {"--state", state.string()}}) {
    SimProcess sim(options);
    EXPECT_TRUE(sim.Path().empty());
    EXPECT_NE(sim.Stop(), 0) << options[0];
  }
  std::filesystem::remove(state);
}

}  // namespace
}  // namespace zl

// What users hand the tool: update files that are empty, huge, binary, with
// endless lines, unreadable or not files at all, and stored settings of the
// wrong type or out of range. Each ends with a clear message, touches
// nothing on the device it should not, and neither hangs nor eats memory.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/zetasetup_app.h"
#include "tests/app/dialog_rig.h"
#include "tests/support/fake_settings.h"

namespace zl::test {
namespace {

using Texts = std::vector<std::string>;
namespace fs = std::filesystem;

constexpr std::uint64_t kHugeBytes = 100ull * 1024 * 1024;

// The largest resident size of this process so far, in kilobytes.
long PeakResidentKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// A file of 100 MB of zero bytes that takes no disk space.
void MakeHuge(const fs::path& path, const std::string& head) {
  const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kHugeBytes)), 0);
  ::close(fd);
}

std::string Binary(std::size_t size) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (char& c : bytes)
    c = static_cast<char>(random() & 0xFF);
  return bytes;
}

struct FileCase {
  const char* name;
  std::function<void(const fs::path&)> make;  // creates the file at the path
  Texts boxes;
  std::string problemStatus;  // a status text naming the problem; empty for none
};

void Write(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// Runs Update with one bad file of the given name in the program directory;
// the other kind of file matches the device, so only the bad one is used.
void RunUpdateWithBadFile(const FileCase& c, const std::string& fileName, UpdateFiles files) {
  SCOPED_TRACE(c.name);
  DialogRig rig({}, files);
  c.make(fs::path(rig.dir.Path()) / fileName);
  rig.StartConnected();
  ASSERT_TRUE(rig.host.Enabled(IDC_UPDATE));
  const auto writtenBefore = rig.wire.Written().size();
  const long peakBefore = PeakResidentKb();
  const auto start = std::chrono::steady_clock::now();

  rig.host.Click(IDC_UPDATE);

  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 60.0);  // a 100 MB scan takes seconds in a debug build
  EXPECT_LT(PeakResidentKb() - peakBefore, 64 * 1024) << "kilobytes more at peak";
  EXPECT_EQ(rig.host.BoxTexts(), c.boxes);
  EXPECT_EQ(rig.host.LastStatus(), "Updating firmware and logic failed!");
  if (!c.problemStatus.empty()) {
    EXPECT_NE(std::find(rig.host.statusTexts.begin(), rig.host.statusTexts.end(), c.problemStatus),
              rig.host.statusTexts.end())
        << ::testing::PrintToString(rig.host.statusTexts);
  }
  rig.ExpectWaitBalanced();
  // Nothing was erased or programmed.
  EXPECT_EQ(sim::FirmwareVersionOf(rig.wire.device().flash), sim::kFactoryVersion);
  EXPECT_EQ(sim::LogicVersionOf(rig.wire.device().epld), sim::kFactoryVersion);
  EXPECT_EQ(rig.wire.engine().CommandCount('g'), 0u);
  EXPECT_FALSE(rig.wire.device().logicMode);
  EXPECT_GE(rig.wire.Written().size(), writtenBefore);

  // The dialog stays usable.
  rig.host.Click(IDC_CURRENT);
  EXPECT_EQ(rig.host.LastStatus(), "Reading current versions passed!");
}

TEST(BadUpdateFiles, FirmwareImagesThatAreNotImagesTouchNothing) {
  const std::string longLine = "S3" + std::string(200000, '1') + "\n";
  const std::vector<FileCase> cases = {
      {"empty",
       [](const fs::path& p) { Write(p, ""); },
       {"Firmware update failed!"},
       "Firmware: Invalid image file (no data records)!"},
      {"only a header and an end record",
       [](const fs::path& p) { Write(p, "S00600004844521B\nS9030000FC\n"); },
       {"Firmware update failed!"},
       "Firmware: Invalid image file (no data records)!"},
      {"huge and sparse",
       [](const fs::path& p) { MakeHuge(p, ""); },
       {"Firmware update failed!"},
       "Firmware: Invalid image file (line 1)!"},
      {"binary",
       [](const fs::path& p) { Write(p, Binary(64 * 1024)); },
       {"Firmware update failed!"},
       "Firmware: Invalid image file (line 1)!"},
      {"one endless line",
       [&](const fs::path& p) { Write(p, longLine); },
       {"Firmware update failed!"},
       "Firmware: Invalid image file (line 1)!"},
      {"a directory",
       [](const fs::path& p) { fs::create_directory(p); },
       {"Firmware update failed!"},
       ""},
  };
  for (const auto& c : cases)
    RunUpdateWithBadFile(c, "ZT7C32FW.102", {0, sim::kFactoryVersion});
}

TEST(BadUpdateFiles, JedecFilesThatAreNotFuseMapsTouchNothing) {
  // A fuse list whose lines run on far past a row.
  std::string longLines = "\x02QF32160*\n*L00000\n";
  for (int row = 0; row < 134; ++row)
    longLines += std::string(5000, '1') + "\n";
  const std::vector<FileCase> cases = {
      {"empty", [](const fs::path& p) { Write(p, ""); }, {"Logic: Illegal JEDEC file format!"}, ""},
      {"huge and sparse",
       [](const fs::path& p) { MakeHuge(p, ""); },
       {"Logic: Illegal JEDEC file format!"},
       ""},
      {"huge after the fuse list header",
       [](const fs::path& p) { MakeHuge(p, "*L00000\n"); },
       {"Illegal JEDEC file format!"},
       ""},
      {"binary",
       [](const fs::path& p) { Write(p, Binary(64 * 1024)); },
       {"Logic: Illegal JEDEC file format!"},
       ""},
      {"endless lines",
       [&](const fs::path& p) { Write(p, longLines); },
       {"Illegal JEDEC file format!"},
       ""},
      {"a directory",
       [](const fs::path& p) { fs::create_directory(p); },
       {"Logic: Cannot open JEDEC file!"},
       ""},
  };
  for (const auto& c : cases)
    RunUpdateWithBadFile(c, "C32JED20.102", {sim::kFactoryVersion, 0});
}

TEST(BadUpdateFiles, UnreadableFilesCannotBeOpened) {
  if (geteuid() == 0)
    GTEST_SKIP() << "permissions do not stop root; the directory cases stand in for it";
  const auto unreadable = [](const fs::path& p) {
    Write(p, "S00600004844521B\n");
    ::chmod(p.c_str(), 0);
  };
  RunUpdateWithBadFile({"firmware", unreadable, {"Firmware update failed!"}, ""}, "ZT7C32FW.102",
                       {0, sim::kFactoryVersion});
  RunUpdateWithBadFile({"JEDEC", unreadable, {"Logic: Cannot open JEDEC file!"}, ""},
                       "C32JED20.102", {sim::kFactoryVersion, 0});
}

// Only COM1 leads to the device, as on a machine with one adapter.
class OnlyCom1 : public SerialChannel {
 public:
  explicit OnlyCom1(SerialChannel& inner) : inner_(inner) {}
  bool Open(const std::string& device) override {
    return device == "\\\\.\\COM1" && inner_.Open(device);
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
  OpenFailure LastOpenFailure() const override { return OpenFailure::kMissing; }

 private:
  SerialChannel& inner_;
};

TEST(BadSettings, StoredValuesOfTheWrongTypeOrOutOfRangeNeverCrash) {
  struct Case {
    const char* name;
    std::string setting;
    FakeSettings::Value value;
    int button;  // pressed after Connect (0: Connect alone)
    Texts boxes;
    std::string status;
    std::function<void(FakeDialogHost&)> shown;  // what the fresh dialog shows
  };
  const std::string endless(10000, '9');
  const std::vector<Case> cases = {
      {"port as text",
       kSettingComPort,
       std::string("COM3"),
       0,
       {},
       "Connecting to ZETA Loader passed!",
       [](FakeDialogHost& h) { EXPECT_EQ(h.ListSelection(IDC_PORT), 0); }},
      {"port beyond the list",
       kSettingComPort,
       99,
       0,
       {"Cannot connect to ZETA loader!"},
       "Connecting to ZETA loader failed!",
       [](FakeDialogHost& h) { EXPECT_EQ(h.ListSelection(IDC_PORT), -1); }},
      {"negative port",
       kSettingComPort,
       -2147483647 - 1,
       0,
       {"Cannot connect to ZETA loader!"},
       "Connecting to ZETA loader failed!",
       [](FakeDialogHost& h) { EXPECT_EQ(h.ListSelection(IDC_PORT), -1); }},
      {"speed as text",
       kSettingBaudrate,
       std::string("115200"),
       0,
       {},
       "Connecting to ZETA Loader passed!",
       [](FakeDialogHost& h) { EXPECT_EQ(h.ListSelection(IDC_SPEED), 0); }},
      {"speed beyond the list",
       kSettingBaudrate,
       2147483647,
       0,
       {},
       "Connecting to ZETA Loader passed!",
       [](FakeDialogHost& h) { EXPECT_EQ(h.ListSelection(IDC_SPEED), -1); }},
      {"IP as a number",
       kSettingZetaIp,
       42,
       0,
       {},
       "Connecting to ZETA Loader passed!",
       [](FakeDialogHost& h) { EXPECT_EQ(h.Text(IDC_IP), "111.111.111.111"); }},
      {"IP out of range",
       kSettingZetaIp,
       std::string("300.1.2.3"),
       0,
       {"Invalid IP address!"},
       "",
       nullptr},
      {"endless IP",
       kSettingZetaIp,
       endless,
       0,
       {"Please enter no more than 15 characters."},
       "",
       [&](FakeDialogHost& h) { EXPECT_EQ(h.Text(IDC_IP), endless); }},
      {"binary subnet mask",
       kSettingSubnet,
       std::string("\x01\xFF\n\x00x", 5),
       IDC_TRANSMIT,
       {"Invalid subnet mask!"},
       "Connecting to ZETA Loader passed!",
       nullptr},
      {"empty gateway",
       kSettingGateway,
       std::string(),
       IDC_TRANSMIT,
       {"Invalid default gateway!"},
       "Connecting to ZETA Loader passed!",
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClock clock;
    VirtualWire wire(clock);
    OnlyCom1 channel(wire);
    TempDirectory dir;
    SetProgramDirectory(dir.Path());
    FakeSettings settings;
    settings.values[{kSettingsSection, c.setting}] = c.value;
    FakeDialogBackend backend([&](FakeDialogHost& host, Dialog&) {
      if (c.shown)
        c.shown(host);
      host.ClearRecords();
      host.Click(IDC_CONNECT);
      if (c.button != 0)
        host.Click(c.button);
      EXPECT_EQ(host.BoxTexts(), c.boxes);
      EXPECT_EQ(host.LastStatus(), c.status);
      EXPECT_EQ(host.waitDepth, 0);
      host.Click(IDCANCEL);
    });
    CZetasetupApp app(settings, backend, {&channel, &clock});
    app.StartApplication();
    EXPECT_EQ(app.LastEndCode(), kIdCancel);
    EXPECT_TRUE(settings.writes.empty());
    SetProgramDirectory("");
  }
}

}  // namespace
}  // namespace zl::test

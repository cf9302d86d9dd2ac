#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/dialog_templates.h"
#include "app/resource_ids.h"
#include "app/zetasetup_dlg.h"
#include "platform/program_dir.h"
#include "sim/device.h"
#include "sim/sample_content.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_dialog_host.h"
#include "tests/support/virtual_wire.h"

namespace zl::test {

// A directory of its own for update files, removed with the object.
class TempDirectory {
 public:
  TempDirectory() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("zl-app-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  std::string Path() const { return path_.string(); }
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(path_ / name, std::ios::binary) << content;
  }
  void Link(const std::string& name, const std::string& target) const {
    std::filesystem::create_symlink(target, path_ / name);
  }

 private:
  std::filesystem::path path_;
};

// Which sample update files lie in the program directory.
struct UpdateFiles {
  std::uint16_t firmware = sim::kSampleVersion;  // 0: no firmware file
  std::uint16_t logic = sim::kSampleVersion;     // 0: no JEDEC files
  bool variant21 = true;                         // also the C32JED21 file
};

// The main dialog on a recording host, talking over the in-process line to
// an emulated device, with update files in a directory of its own.
struct DialogRig {
  explicit DialogRig(const sim::DeviceConfig& config = {}, UpdateFiles files = {})
      : wire(clock, config), dialog(DeviceEnvironment{&wire, &clock}), host(MainDialogTemplate()) {
    WriteFiles(files);
    SetProgramDirectory(dir.Path());
    dialog.m_nPort = 0;
    dialog.m_nSpeed = 4;
    dialog.m_strIp = "192.168.1.10";
    dialog.m_strSubnet = "255.255.255.0";
    dialog.m_strGateway = "192.168.1.1";
  }
  ~DialogRig() { SetProgramDirectory(""); }

  void WriteFiles(const UpdateFiles& files) {
    if (files.firmware != 0) {
      for (const auto& file : sim::SampleFiles(files.firmware)) {
        if (file.name.rfind("ZT7C32FW", 0) == 0)
          dir.Write(file.name, file.content);
      }
    }
    if (files.logic != 0) {
      for (const auto& file : sim::SampleFiles(files.logic)) {
        if (file.name.rfind("C32JED20", 0) == 0)
          dir.Write(file.name, file.content);
        if (file.name.rfind("C32JED21", 0) == 0 && files.variant21) {
          dir.Write(file.name, file.content);
        }
      }
    }
  }

  // Initialises the dialog and clears what that recorded.
  void Start() {
    ASSERT_TRUE(host.Start(dialog));
    host.ClearRecords();
  }
  // Starts and connects; fails the test when Connect does not pass.
  void StartConnected() {
    Start();
    host.Click(IDC_CONNECT);
    ASSERT_EQ(host.LastStatus(), "Connecting to ZETA Loader passed!")
        << ::testing::PrintToString(host.BoxTexts());
    host.ClearRecords();
  }

  // The wait cursor is fully ended.
  void ExpectWaitBalanced() const {
    EXPECT_EQ(host.waitDepth, 0);
    EXPECT_EQ(host.waitBegins, host.waitEnds);
  }

  FakeClock clock;
  VirtualWire wire;
  TempDirectory dir;
  CZetasetupDlg dialog;
  FakeDialogHost host;
};

}  // namespace zl::test

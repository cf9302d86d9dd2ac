// The Win32 pieces of the platform layer, run as a Windows program (under
// Wine on Linux).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "images/image_files.h"
#include "link/serial_port.h"
#include "platform/dir_search.h"
#include "platform/port_names.h"
#include "platform/program_dir.h"
#include "platform/win32/win32_serial_channel.h"

namespace zl {
namespace {

// ---------------------------------------------------------------- DCB

struct FlagsCase {
  const char* name;
  std::uint32_t asRead;
  std::uint32_t expected;
};

void PrintTo(const FlagsCase& c, std::ostream* os) {
  *os << c.name;
}

class LineSettingsTest : public testing::TestWithParam<FlagsCase> {};

TEST_P(LineSettingsTest, SetsTheLineAndKeepsEverythingElse) {
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  dcb.BaudRate = CBR_115200;
  SetDcbFlags(dcb, GetParam().asRead);
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  dcb.ByteSize = 7;
  dcb.Parity = EVENPARITY;
  dcb.StopBits = TWOSTOPBITS;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  dcb.ErrorChar = '?';
  dcb.EofChar = 0x1A;
  dcb.EvtChar = '\n';
  const DCB before = dcb;

  ApplyLineSettings(dcb);

  EXPECT_EQ(DcbFlags(dcb), GetParam().expected);
  EXPECT_EQ(dcb.BaudRate, 9600u);
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  // The named bit fields agree with the word: the word is the right one.
  EXPECT_EQ(dcb.fBinary, 1u);
  EXPECT_EQ(dcb.fParity, 0u);
  EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
  EXPECT_EQ(dcb.fOutxDsrFlow, 0u);
  EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
  EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
  EXPECT_EQ(dcb.fOutX, 0u);
  EXPECT_EQ(dcb.fInX, 0u);
  EXPECT_EQ(dcb.fErrorChar, 0u);
  EXPECT_EQ(dcb.fNull, 0u);
  EXPECT_EQ(dcb.fAbortOnError, 1u);
  EXPECT_EQ(dcb.fDsrSensitivity, before.fDsrSensitivity);
  EXPECT_EQ(dcb.fTXContinueOnXoff, before.fTXContinueOnXoff);
  EXPECT_EQ(dcb.fDummy2, before.fDummy2);
  EXPECT_EQ(dcb.DCBlength, before.DCBlength);
  EXPECT_EQ(dcb.XonLim, before.XonLim);
  EXPECT_EQ(dcb.XoffLim, before.XoffLim);
  EXPECT_EQ(dcb.XonChar, before.XonChar);
  EXPECT_EQ(dcb.XoffChar, before.XoffChar);
  EXPECT_EQ(dcb.ErrorChar, before.ErrorChar);
  EXPECT_EQ(dcb.EofChar, before.EofChar);
  EXPECT_EQ(dcb.EvtChar, before.EvtChar);
}

INSTANTIATE_TEST_SUITE_P(FlagWords, LineSettingsTest,
                         testing::Values(FlagsCase{"AllClear", 0x00000000u, 0x00004001u},
                                         FlagsCase{"AllSet", 0xFFFFFFFFu, 0xFFFFC0C1u},
                                         // DTR and RTS handshake, CTS/DSR flow, XON/XOFF, parity
                                         // check, error and null characters: all of it goes.
                                         FlagsCase{"FlowAndHandshakes", 0x00003F3Eu, 0x00004001u},
                                         // DSR sensitivity, continue on XOFF and the reserved
                                         // bits stay as the driver reported them.
                                         FlagsCase{"KeptBits", 0xABCD00C0u, 0xABCD40C1u}),
                         [](const testing::TestParamInfo<FlagsCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(PortTimeoutsTest, GiveUpAfterTheLineTimes) {
  EXPECT_EQ(kPortTimeouts.ReadIntervalTimeout, 100u);
  EXPECT_EQ(kPortTimeouts.ReadTotalTimeoutMultiplier, 10u);
  EXPECT_EQ(kPortTimeouts.ReadTotalTimeoutConstant, 100u);
  EXPECT_EQ(kPortTimeouts.WriteTotalTimeoutMultiplier, 10u);
  EXPECT_EQ(kPortTimeouts.WriteTotalTimeoutConstant, 100u);
}

// ------------------------------------------------------- error numbers

TEST(OpenFailureTest, TranslatesTheErrorsOfAnOpen) {
  const struct {
    DWORD error;
    OpenFailure expected;
  } cases[] = {
      {ERROR_FILE_NOT_FOUND, OpenFailure::kMissing},
      {ERROR_PATH_NOT_FOUND, OpenFailure::kMissing},
      {ERROR_ACCESS_DENIED, OpenFailure::kBusy},
      {ERROR_SHARING_VIOLATION, OpenFailure::kBusy},
      {ERROR_PRIVILEGE_NOT_HELD, OpenFailure::kPermission},
      {ERROR_GEN_FAILURE, OpenFailure::kOther},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OpenFailureFromError(c.error), c.expected) << "error " << c.error;
  }
}

// ---------------------------------------------------------- port names

TEST(PortNamesTest, ComNamesReachTheDeviceNamespace) {
  const struct {
    const char* name;
    const char* device;
  } cases[] = {
      {"\\\\.\\COM1", "\\\\.\\COM1"},  // as the dialog builds it: unchanged
      {"\\\\.\\COM19", "\\\\.\\COM19"},
      {"COM7", "\\\\.\\COM7"},
      {"COM12", "\\\\.\\COM12"},  // COM10 and above need the prefix
      {"com3", "\\\\.\\com3"},
      {"\\\\.\\CNCA0", "\\\\.\\CNCA0"},  // other device names pass as they are
      {"C:\\ports\\x", "C:\\ports\\x"},
      {"COMX", "COMX"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PortDevicePath(c.name), c.device) << c.name;
  }
}

TEST(PortNamesTest, ListsNineteenPortsByDeviceName) {
  const auto ports = ListComPorts();
  ASSERT_EQ(ports.size(), 19u);
  EXPECT_EQ(ports.front().name, "COM1");
  EXPECT_EQ(ports.front().path, "\\\\.\\COM1");
  EXPECT_EQ(ports.back().number, 19);
  EXPECT_EQ(ports.back().path, "\\\\.\\COM19");
}

// ----------------------------------------------- a temporary directory

class TempDir {
 public:
  TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "zltest" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempDir() { RemoveTree(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }

  std::string AddFile(const std::string& name) const {
    std::ofstream(path_ + name) << "x";
    return path_ + name;
  }
  void AddDirectory(const std::string& name) const {
    CreateDirectoryA((path_ + name).c_str(), nullptr);
  }

 private:
  static void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA((dir + "*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") {
          continue;
        }
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(dir + name + "\\");
        } else {
          DeleteFileA((dir + name).c_str());
        }
      } while (FindNextFileA(search, &entry));
      FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
  }

  std::string path_;
};

// ----------------------------------------------------- directory search

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SearchDirectoryTest, DeliversMatchingEntriesOfEveryKind) {
  TempDir dir;
  for (const char* name : {"ZT7C32FW.098", "ZT7C32FW.115", "zt7c32fw.102", "ZT7C32FW.12a",
                           "ZT7C32FW.1234", "C32JED20.012", "notes.txt"}) {
    dir.AddFile(name);
  }
  dir.AddDirectory("ZT7C32FW.300");

  // Windows matches without regard to case, and a trailing '?' also
  // matches nothing; entries with four-character extensions never match.
  const auto names = Sorted(SearchDirectory(dir.Path(), "ZT7C32FW.???"));
  EXPECT_EQ(names, (std::vector<std::string>{"ZT7C32FW.098", "ZT7C32FW.115", "ZT7C32FW.12a",
                                             "ZT7C32FW.300", "zt7c32fw.102"}));
}

TEST(SearchDirectoryTest, NeverDeliversTheDotEntries) {
  TempDir dir;
  dir.AddFile("a.txt");
  EXPECT_EQ(SearchDirectory(dir.Path(), "*"), std::vector<std::string>{"a.txt"});
}

TEST(SearchDirectoryTest, EmptyWhenNothingMatchesOrTheDirectoryIsMissing) {
  TempDir dir;
  dir.AddFile("C32JED20.012");
  EXPECT_TRUE(SearchDirectory(dir.Path(), "ZT7C32FW.???").empty());
  EXPECT_TRUE(SearchDirectory(dir.Path() + "missing\\", "*").empty());
}

TEST(SearchDirectoryTest, AddsTheSeparatorWhenTheDirectoryLacksIt) {
  TempDir dir;
  dir.AddFile("C32JED20.012");
  std::string withoutSeparator = dir.Path();
  withoutSeparator.pop_back();
  EXPECT_EQ(SearchDirectory(withoutSeparator, "C32JED20.???"),
            std::vector<std::string>{"C32JED20.012"});
}

// ---------------------------------------------------- program directory

std::string ExecutableDirectory() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path, length);
  return text.substr(0, text.find_last_of("\\/") + 1);
}

TEST(ProgramDirectoryTest, IsTheExecutablesDirectoryWhateverTheWorkingDirectory) {
  TempDir dir;
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
  const std::string programDir = ProgramDirectory();
  SetCurrentDirectoryA(previous);

  EXPECT_EQ(programDir, ExecutableDirectory());
  ASSERT_GE(programDir.size(), 3u);
  EXPECT_EQ(programDir[1], ':') << "starts with the drive";
  EXPECT_EQ(programDir.back(), '\\');
}

TEST(ProgramDirectoryTest, OverrideGetsASeparatorAndCanBeRemoved) {
  SetProgramDirectory("C:\\Tools");
  EXPECT_EQ(ProgramDirectory(), "C:\\Tools\\");
  SetProgramDirectory("D:/images/");
  EXPECT_EQ(ProgramDirectory(), "D:/images/");
  SetProgramDirectory("");
  EXPECT_EQ(ProgramDirectory(), ExecutableDirectory());
}

// ------------------------------------------ update files on Windows

// The program directory pointed at a temporary directory for one test.
class ProgramDirFixture : public testing::Test {
 protected:
  void SetUp() override { SetProgramDirectory(dir_.Path()); }
  void TearDown() override { SetProgramDirectory(""); }
  TempDir dir_;
};

using UpdateFilesTest = ProgramDirFixture;

TEST_F(UpdateFilesTest, NewestVersionComesFromThreeDigitExtensionsOnly) {
  // Windows also delivers ZT7C32FW.12 for "ZT7C32FW.???" and ignores case.
  for (const char* name : {"ZT7C32FW.098", "zt7c32fw.101", "ZT7C32FW.12", "ZT7C32FW.12a",
                           "ZT7C32FW.1234", "C32JED20.250"}) {
    dir_.AddFile(name);
  }
  EXPECT_EQ(FindNewestVersion("ZT7C32FW"), 101);
  EXPECT_EQ(FindNewestVersion("C32JED20"), 250);
  EXPECT_EQ(FindNewestVersion("C32JED21"), 0);
}

TEST_F(UpdateFilesTest, PathIsBuiltFromTheDriveAndDirectory) {
  EXPECT_EQ(ImageFilePath("C32JED21", 12), dir_.Path() + "C32JED21.012");
  SetProgramDirectory("C:\\Tools\\");
  EXPECT_EQ(ImageFilePath("C32JED21", 12), "C:\\Tools\\C32JED21.012");
  EXPECT_EQ(ImageFilePath("C32JED21", 256), "");
}

// -------------------------------------------------------- port opening

TEST(Win32ChannelTest, MissingPortFailsAsMissing) {
  Win32SerialChannel channel;
  SerialPort port;
  port.channel = &channel;
  EXPECT_EQ(PortOpen(port, "\\\\.\\COM250"), kErrPortOpen);
  EXPECT_EQ(channel.LastOpenFailure(), OpenFailure::kMissing);
}

TEST(Win32ChannelTest, DeviceThatIsNoSerialPortIsClosedAgain) {
  TempDir dir;
  const std::string file = dir.AddFile("not-a-port");
  Win32SerialChannel channel;
  SerialPort port;
  port.channel = &channel;
  port.speed = 115200;

  EXPECT_EQ(PortOpen(port, file), kErrPortOpen);
  EXPECT_EQ(channel.LastOpenFailure(), OpenFailure::kNotSerial);
  EXPECT_EQ(port.speed, 9600u);

  // Opened with share mode 0, the file could not be opened again if the
  // failed open had left its handle behind.
  const HANDLE again = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  CloseHandle(again);
  // The channel is closed and can open again.
  EXPECT_TRUE(channel.Open(file));
  channel.Close();
}

}  // namespace
}  // namespace zl

#include "images/firmware_programming.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "device_fixture.h"
#include "images/image_files.h"
#include "images/srecord.h"
#include "platform/errors.h"
#include "platform/text_file.h"
#include "temp_dir.h"

namespace zl {
namespace {

constexpr std::uint16_t kVersion = 120;
constexpr const char* kErasing = "Firmware: Erasing Flash ...";
constexpr const char* kEraseFailed = "Firmware: Erasing Flash ... failed!";
constexpr const char* kProgramming = "Firmware: Programming Flash ...";
constexpr const char* kFailed = "Firmware: Programming Flash ... failed!";
constexpr const char* kPassed = "Firmware: Programming Flash ... passed!";
constexpr std::uint32_t kSectorSize = 0x40000;

using Texts = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

std::string Percent(int n) {
  return "Firmware: Programming Flash ... ( " + std::to_string(n) + "% )";
}

// An S3 record line with its checksum and a '\n'.
std::string S3(std::uint32_t address, const Bytes& data) {
  Bytes bytes = {static_cast<std::uint8_t>(data.size() + 5),
                 static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
                 static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
  bytes.insert(bytes.end(), data.begin(), data.end());
  unsigned sum = 0;
  std::string line = "S3";
  char hex[3];
  for (const std::uint8_t b : bytes) {
    sum += b;
    std::snprintf(hex, sizeof hex, "%02X", b);
    line += hex;
  }
  std::snprintf(hex, sizeof hex, "%02X", ~sum & 0xFFu);
  return line + hex + "\n";
}

// Ten lines of equal length, four data bytes each, from 0x1040004 on.
std::string TenLines() {
  std::string image;
  for (std::uint8_t i = 0; i < 10; ++i) {
    image += S3(0x1040004 + 4u * i, {i, i, i, i});
  }
  return image;
}

bool Contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
         haystack.end();
}

class ProgramFirmwareTest : public test::DeviceFixture {
 protected:
  ResultCode Program(const std::string& image) {
    dir.Write("ZT7C32FW." + FormatVersion3(kVersion), image);
    return ProgramFirmware(link, kVersion, ui, progress);
  }

  test::TempProgramDir dir;
  ProgressMemory progress;
};

TEST_F(ProgramFirmwareTest, TenLineFileShowsEachTenthOnceThenMarker) {
  ASSERT_EQ(Program(TenLines()), kOk);
  Texts expected = {kErasing, kProgramming};
  for (int p = 10; p <= 100; p += 10) {
    expected.push_back(Percent(p));
  }
  expected.push_back(kPassed);
  EXPECT_EQ(ui.statusTexts, expected);
  EXPECT_EQ(Flash(0x1040000, 12), (Bytes{0xAA, 0x55, 0x55, 0xAA, 0, 0, 0, 0, 1, 1, 1, 1}));
  EXPECT_EQ(Flash(0x1040000 + 44, 4), Bytes(4, 0xFF));

  // The last percentage shown outlives the call: a one-line file reaching
  // 100 at once shows no percentage.
  ui.statusTexts.clear();
  ASSERT_EQ(Program(S3(0x1040004, {7, 7, 7, 7})), kOk);
  EXPECT_EQ(ui.statusTexts, (Texts{kErasing, kProgramming, kPassed}));
}

TEST_F(ProgramFirmwareTest, FilesWithoutDataAreRefusedBeforeAnyErase) {
  // Erasing and then marking blank sectors as valid firmware would leave a
  // device that starts nothing.
  const Bytes before = Flash(0x1040000, 3 * kSectorSize);
  for (const std::string image : {"", "S00600004844521B\nS9030000FC\n", "S30501040010E5\n"}) {
    ui.statusTexts.clear();
    ASSERT_EQ(Program(image), kErrImageFile);
    EXPECT_EQ(ui.statusTexts, Texts{"Firmware: Invalid image file (no data records)!"});
  }
  EXPECT_EQ(Commands('g'), 0u);
  EXPECT_EQ(Commands('h'), 0u);
  EXPECT_EQ(Flash(0x1040000, 3 * kSectorSize), before);
}

TEST_F(ProgramFirmwareTest, RecordsArePaddedToMultiplesOfFour) {
  const std::string image = S3(0x1040004, {0x11, 0x22, 0x33, 0x44, 0x55}) +
                            "S30501040010E5\n" +  // no data: programs nothing, goes on
                            S3(0x1040020, {1, 2, 3, 4, 5, 6, 7, 8});
  ASSERT_EQ(Program(image), kOk);
  EXPECT_EQ(Commands('h'), 3u);  // two records and the marker
  // The program requests as they went out: command, address, length, data.
  EXPECT_TRUE(Contains(wire.Written(), {'h', 0x01, 0x04, 0x00, 0x04, 0x00, 0x08, 0x11, 0x22, 0x33,
                                        0x44, 0x55, 0xFF, 0xFF, 0xFF}));
  EXPECT_TRUE(
      Contains(wire.Written(), {'h', 0x01, 0x04, 0x00, 0x20, 0x00, 0x08, 1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(Flash(0x1040004, 8), (Bytes{0x11, 0x22, 0x33, 0x44, 0x55, 0xFF, 0xFF, 0xFF}));
}

struct BadImageCase {
  const char* name;
  std::string image;
  int badLine;
};

void PrintTo(const BadImageCase& c, std::ostream* os) {
  *os << c.name;
}

const std::string kGood1 = S3(0x1040004, {1, 2, 3, 4});
const std::string kGood2 = S3(0x1040008, {5, 6, 7, 8});

const BadImageCase kBadImages[] = {
    {"ChecksumFirstLine", "S30901040004010203040B\n" + kGood2, 1},
    {"BlankLineInTheMiddle", kGood1 + "\n" + kGood2, 2},
    {"BlankLineLast", kGood1 + kGood2 + "\n", 3},
    {"LastLineWithoutLineEnd", kGood1 + kGood2.substr(0, kGood2.size() - 1), 2},
    {"CommentLine", kGood1 + "; built by hand\n" + kGood2, 2},
    {"CountBelowAddressLength", kGood1 + kGood2 + "S100\n", 3},
    {"SAsLastCharacter", kGood1 + "COMMENTS\n", 2},
    {"LoneS", "S\n" + kGood1, 1},
    {"OverlongLine", kGood1 + std::string(300, '0') + "\n", 2},
};

class BadImageTest : public ProgramFirmwareTest,
                     public ::testing::WithParamInterface<BadImageCase> {};

TEST_P(BadImageTest, NothingIsErasedAndTheLineIsNamed) {
  const Bytes before = WholeFlash();
  EXPECT_EQ(Program(GetParam().image), kErrImageFile);
  EXPECT_EQ(ui.statusTexts, Texts{"Firmware: Invalid image file (line " +
                                  std::to_string(GetParam().badLine) + ")!"});
  EXPECT_EQ(Commands('g'), 0u);
  EXPECT_EQ(Commands('h'), 0u);
  EXPECT_TRUE(WholeFlash() == before);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadImageTest, ::testing::ValuesIn(kBadImages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramFirmwareTest, MissingFileTouchesNothing) {
  const Bytes before = WholeFlash();
  EXPECT_EQ(ProgramFirmware(link, 0, ui, progress), kErrImageFile);         // no version found
  EXPECT_EQ(ProgramFirmware(link, 300, ui, progress), kErrImageFile);       // unusable version
  EXPECT_EQ(ProgramFirmware(link, kVersion, ui, progress), kErrImageFile);  // no such file
  EXPECT_TRUE(ui.statusTexts.empty());
  EXPECT_EQ(Commands('g'), 0u);
  EXPECT_TRUE(WholeFlash() == before);
}

TEST_F(ProgramFirmwareTest, ReadErrorThrowsBeforeAnythingIsErased) {
  // A regular file whose reads fail: offset 0 of the process's own memory.
  std::filesystem::create_symlink("/proc/self/mem", dir.Path() / "ZT7C32FW.120");
  const Bytes before = WholeFlash();
  EXPECT_THROW(ProgramFirmware(link, kVersion, ui, progress), FileError);
  EXPECT_TRUE(ui.statusTexts.empty());
  EXPECT_EQ(Commands('g'), 0u);
  EXPECT_TRUE(WholeFlash() == before);
}

TEST_F(ProgramFirmwareTest, EachEraseFailureStopsThere) {
  const std::uint32_t sectors[] = {0x1040000, 0x1080000, 0x10C0000};
  for (std::size_t failing = 0; failing < 3; ++failing) {
    SCOPED_TRACE(failing);
    // A fresh device each round: the factory firmware fills the first sector.
    wire.device() = sim::MakeFreshDevice({});
    wire.device().flash.Program(0x1080000, Bytes{0, 0}.data(), 2);
    wire.device().flash.Program(0x10C0000, Bytes{0, 0}.data(), 2);
    wire.faults().failEraseSectors = {sectors[failing]};
    ui.statusTexts.clear();
    EXPECT_EQ(Program(TenLines()), kErrEraseFailed);
    EXPECT_EQ(ui.statusTexts, (Texts{kErasing, kEraseFailed}));
    for (std::size_t s = 0; s < 3; ++s) {
      const bool erased = s < failing;
      EXPECT_EQ(Flash(sectors[s], 2) == Bytes(2, 0xFF), erased) << "sector " << s;
    }
  }
  EXPECT_EQ(Commands('h'), 0u);
}

TEST_F(ProgramFirmwareTest, RecordProgrammingFailureStopsBeforeTheMarker) {
  wire.faults().failProgramAddress = 0x1040004 + 4 * 2;  // the third line
  EXPECT_EQ(Program(TenLines()), kErrProgramFailed);
  // The failure is written at once and again after the line's progress.
  EXPECT_EQ(ui.statusTexts, (Texts{kErasing, kProgramming, Percent(10), Percent(20), kFailed,
                                   Percent(30), kFailed}));
  EXPECT_EQ(Flash(0x1040000, 12), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 1, 1, 1, 1}));
  EXPECT_EQ(Flash(0x1040004 + 8, 4), Bytes(4, 0xFF));
}

TEST_F(ProgramFirmwareTest, MarkerProgrammingFailure) {
  wire.faults().failProgramAddress = 0x1040000;
  EXPECT_EQ(Program(TenLines()), kErrProgramFailed);
  EXPECT_EQ(ui.statusTexts.back(), kFailed);
  EXPECT_EQ(ui.statusTexts[ui.statusTexts.size() - 2], Percent(100));
  EXPECT_EQ(Flash(0x1040000, 4), Bytes(4, 0xFF));
}

// Images written by GNU objcopy from a binary, so that the reader meets
// records that nobody here wrote.
class ObjcopyImageTest : public ProgramFirmwareTest {
 protected:
  void SetUp() override {
    ProgramFirmwareTest::SetUp();
    std::mt19937 random(4711);
    binary.resize(3001);
    for (auto& b : binary) {
      b = static_cast<std::uint8_t>(random());
    }
    std::ofstream(dir.Path() / "firmware.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(binary.data()),
               static_cast<std::streamsize>(binary.size()));
  }

  // Converts firmware.bin with objcopy and returns the image text.
  std::string Objcopy(const std::string& options) {
    const std::string out = (dir.Path() / "firmware.srec").string();
    const std::string command = std::string("\"") + ZL_OBJCOPY + "\" -I binary -O srec " + options +
                                " \"" + (dir.Path() / "firmware.bin").string() + "\" \"" + out +
                                "\"";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(out, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Decodes an image read through the text file into address -> byte.
  std::map<std::uint32_t, std::uint8_t> Decode(const std::string& image) {
    const std::string path = dir.Write("decode.srec", image);
    TextFile file;
    EXPECT_TRUE(file.Open(path));
    std::map<std::uint32_t, std::uint8_t> bytes;
    std::string line;
    SRecordData data{};
    while (file.ReadLine(line, 256)) {
      std::uint32_t address = 0;
      const int count = ParseSRecord(line, address, data);
      EXPECT_GE(count, 0) << line;
      for (int i = 0; i < count; ++i) {
        bytes[address + static_cast<std::uint32_t>(i)] = data[static_cast<std::size_t>(i)];
      }
    }
    return bytes;
  }

  void ExpectDecodesToBinary(const std::string& image, std::uint32_t base) {
    const auto bytes = Decode(image);
    ASSERT_EQ(bytes.size(), binary.size());
    for (std::size_t i = 0; i < binary.size(); ++i) {
      const auto it = bytes.find(base + static_cast<std::uint32_t>(i));
      ASSERT_NE(it, bytes.end()) << i;
      ASSERT_EQ(it->second, binary[i]) << i;
    }
  }

  Bytes binary;
};

TEST_F(ObjcopyImageTest, S1AndS2RecordsDecodeToTheBinary) {
  const std::string s1 = Objcopy("--change-addresses 0x1000 --srec-len 29");
  ASSERT_NE(s1.find("\nS1"), std::string::npos);
  ExpectDecodesToBinary(s1, 0x1000);
  const std::string s2 = Objcopy("--change-addresses 0x20000");
  ASSERT_NE(s2.find("\nS2"), std::string::npos);
  ExpectDecodesToBinary(s2, 0x20000);
}

TEST_F(ObjcopyImageTest, S3ImageIsProgrammedByteForByte) {
  // Unaligned record lengths, so that the 0xFF padding of one record is
  // programmed over by the next. objcopy ends its lines with CR LF; the
  // same image with LF line ends must program the same.
  const std::string crlf = Objcopy("--srec-forceS3 --change-addresses 0x1040004 --srec-len 37");
  ASSERT_NE(crlf.find("\r\nS3"), std::string::npos);
  std::string lf = crlf;
  std::erase(lf, '\r');
  for (const std::string& image : {lf, crlf}) {
    ui.statusTexts.clear();
    ASSERT_EQ(Program(image), kOk);
    EXPECT_EQ(ui.statusTexts.back(), kPassed);
    EXPECT_EQ(ui.statusTexts[ui.statusTexts.size() - 2], Percent(100));
    EXPECT_EQ(Flash(0x1040000, 4), (Bytes{0xAA, 0x55, 0x55, 0xAA}));
    EXPECT_EQ(Flash(0x1040004, binary.size()), binary);
    EXPECT_EQ(Flash(0x1040004 + static_cast<std::uint32_t>(binary.size()), 64), Bytes(64, 0xFF));
  }
}

}  // namespace
}  // namespace zl

#include "images/image_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/path.h"
#include "platform/program_dir.h"
#include "temp_dir.h"

namespace zl {
namespace {

struct NewestCase {
  const char* name;
  std::vector<std::string> entries;  // files; a trailing '/' makes a directory
  std::uint16_t newest;
};

void PrintTo(const NewestCase& c, std::ostream* os) {
  *os << c.name;
}

const NewestCase kNewestCases[] = {
    {"NoEntry", {}, 0},
    {"OtherBaseNamesOnly", {"C32JED20.012", "ZT7C32FX.115", "zt7c32fw.115"}, 0},
    {"HighestOfThree", {"ZT7C32FW.098", "ZT7C32FW.115", "ZT7C32FW.102"}, 115},
    {"OnlyZero", {"ZT7C32FW.000"}, 0},
    {"MalformedExtensionsPassedOver",
     {"ZT7C32FW.12a", "ZT7C32FW.12", "ZT7C32FW.1234", "ZT7C32FW.101", "ZT7C32FW. 99"},
     101},
    {"AboveRangeDoesNotHideUsable", {"ZT7C32FW.300", "ZT7C32FW.120"}, 120},
    {"OnlyAboveRange", {"ZT7C32FW.999", "ZT7C32FW.256"}, 0},
    {"BoundaryValues", {"ZT7C32FW.001", "ZT7C32FW.255"}, 255},
    {"DirectoryCountsLikeAFile", {"ZT7C32FW.130/", "ZT7C32FW.125"}, 130},
    {"PrefixedOrSuffixedNamesDoNotMatch", {"XZT7C32FW.140", "ZT7C32FW.140.bak"}, 0},
};

class FindNewestVersionTest : public ::testing::TestWithParam<NewestCase> {};

TEST_P(FindNewestVersionTest, FindsHighestUsableVersion) {
  test::TempProgramDir dir;
  for (const std::string& entry : GetParam().entries) {
    if (entry.back() == '/') {
      std::filesystem::create_directory(dir.Path() / entry.substr(0, entry.size() - 1));
    } else {
      dir.Write(entry, "S9030000FC\n");
    }
  }
  EXPECT_EQ(FindNewestVersion("ZT7C32FW"), GetParam().newest);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindNewestVersionTest, ::testing::ValuesIn(kNewestCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindNewestVersionTest, MissingProgramDirectoryFindsNothing) {
  SetProgramDirectory("/nonexistent-zl-directory");
  EXPECT_EQ(FindNewestVersion("ZT7C32FW"), 0);
  SetProgramDirectory("");
}

TEST(FindNewestVersionTest, LooksBesideTheExecutableNotInTheWorkingDirectory) {
  SetProgramDirectory("");
  const std::string programDir = ProgramDirectory();
  ASSERT_FALSE(programDir.empty());
  EXPECT_EQ(programDir.back(), '/');
  // A base name of this process alone, so parallel runs do not meet.
  const std::string base = "ZLT" + std::to_string(getpid());
  const std::filesystem::path beside = std::filesystem::path(programDir) / (base + ".042");
  std::ofstream(beside) << "\n";

  test::TempProgramDir elsewhere;  // sets an override; clear it again
  SetProgramDirectory("");
  elsewhere.Write(base + ".077", "\n");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.Path());
  const std::uint16_t found = FindNewestVersion(base);
  std::filesystem::current_path(previous);
  std::filesystem::remove(beside);
  EXPECT_EQ(found, 42);
}

TEST(ImageFilePathTest, JoinsProgramDirectoryBaseNameAndThreeDigits) {
  SetProgramDirectory("/opt/tools");
  EXPECT_EQ(ImageFilePath("C32JED21", 12), "/opt/tools/C32JED21.012");
  EXPECT_EQ(ImageFilePath("ZT7C32FW", 1), "/opt/tools/ZT7C32FW.001");
  EXPECT_EQ(ImageFilePath("ZT7C32FW", 255), "/opt/tools/ZT7C32FW.255");
  EXPECT_EQ(ImageFilePath("ZT7C32FW", 0), "");
  EXPECT_EQ(ImageFilePath("ZT7C32FW", 256), "");
  SetProgramDirectory("");
}

struct FormatCase {
  std::uint16_t version;
  const char* shown;
  const char* threeDigits;
};

TEST(FormatVersionTest, Table) {
  const FormatCase cases[] = {
      {115, "1.15", "115"},    {7, "0.07", "007"},      {200, "2.00", "200"},
      {255, "2.55", "255"},    {1, "0.01", "001"},      {0, "unknown", "000"},
      {256, "unknown", "000"}, {999, "unknown", "000"}, {65535, "unknown", "000"},
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(FormatVersion(c.version), c.shown) << c.version;
    EXPECT_EQ(FormatVersion3(c.version), c.threeDigits) << c.version;
  }
}

TEST(PathTest, SplitAndJoin) {
  const PathParts parts = SplitPath("/usr/lib/zl.d/ZT7C32FW.115");
  EXPECT_EQ(parts.drive, "");
  EXPECT_EQ(parts.directory, "/usr/lib/zl.d/");
  EXPECT_EQ(parts.name, "ZT7C32FW");
  EXPECT_EQ(parts.extension, ".115");
  EXPECT_EQ(JoinPath(parts), "/usr/lib/zl.d/ZT7C32FW.115");
  EXPECT_EQ(JoinPath({"", "/a/", "B", "012"}), "/a/B.012");  // dot inserted
  EXPECT_EQ(SplitPath("name").extension, "");
  EXPECT_EQ(SplitPath("name.").extension, ".");
}

}  // namespace
}  // namespace zl

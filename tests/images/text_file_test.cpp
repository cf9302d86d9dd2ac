#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "temp_dir.h"

namespace zl {
namespace {

std::vector<std::string> ReadAll(LineReader& reader, std::size_t limit) {
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line, limit)) {
    lines.push_back(line);
  }
  return lines;
}

struct ReadCase {
  const char* name;
  std::string text;
  std::size_t limit;
  std::vector<std::string> lines;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

const ReadCase kReadCases[] = {
    {"LfLines", "ab\ncd\n", 256, {"ab\n", "cd\n"}},
    {"CrLfArrivesAsOneNewline", "ab\r\ncd\r\n", 256, {"ab\n", "cd\n"}},
    {"LoneCrStays", "a\rb\r", 256, {"a\rb\r"}},
    {"CrCrLf", "a\r\r\n", 256, {"a\r\n"}},
    {"LastLineWithoutEnd", "ab\ncd", 256, {"ab\n", "cd"}},
    {"EmptyLine", "\n\nx\n", 256, {"\n", "\n", "x\n"}},
    {"LimitMinusOneCharsPerRead", "abcdefg\n", 4, {"abc", "def", "g\n"}},
    {"CrLfAtLimitBoundary", "ab\r\nc\n", 3, {"ab", "\n", "c\n"}},
    {"CrLfJustFits", "a\r\nb\n", 3, {"a\n", "b\n"}},
    {"EmptyText", "", 256, {}},
};

class TextReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TextReadTest, StringReaderDeliversTextModeLines) {
  StringLineReader reader(GetParam().text);
  EXPECT_EQ(ReadAll(reader, GetParam().limit), GetParam().lines);
}

TEST_P(TextReadTest, FileDeliversTheSameLines) {
  test::TempProgramDir dir;
  TextFile file;
  ASSERT_TRUE(file.Open(dir.Write("f.txt", GetParam().text)));
  EXPECT_EQ(ReadAll(file, GetParam().limit), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextReadTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextFileTest, LengthAndPositionCountFileBytes) {
  test::TempProgramDir dir;
  TextFile file;
  ASSERT_TRUE(file.Open(dir.Write("f.txt", "ab\r\ncd\n")));
  EXPECT_EQ(file.Length(), 7u);
  EXPECT_EQ(file.Position(), 0u);
  std::string line;
  ASSERT_TRUE(file.ReadLine(line, 256));
  EXPECT_EQ(file.Position(), 4u);  // the CR LF counts as two bytes
  ASSERT_TRUE(file.ReadLine(line, 256));
  EXPECT_EQ(file.Position(), 7u);
  EXPECT_FALSE(file.ReadLine(line, 256));
}

TEST(TextFileTest, OpenFailsForMissingFileDirectoryAndEmptyPath) {
  test::TempProgramDir dir;
  TextFile file;
  EXPECT_FALSE(file.Open((dir.Path() / "missing.txt").string()));
  EXPECT_FALSE(file.Open(dir.Path().string()));
  EXPECT_FALSE(file.Open(""));
  EXPECT_FALSE(file.IsOpen());
}

TEST(TextFileTest, ReadErrorThrowsFileError) {
  // A regular file whose reads fail: offset 0 of the process's own memory
  // is never mapped.
  TextFile file;
  ASSERT_TRUE(file.Open("/proc/self/mem"));
  std::string line;
  EXPECT_THROW(file.ReadLine(line, 256), FileError);
}

}  // namespace
}  // namespace zl

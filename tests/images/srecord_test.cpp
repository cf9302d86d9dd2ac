#include "images/srecord.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace zl {
namespace {

struct RecordCase {
  const char* name;
  std::string line;
  int result;
  std::uint32_t address;           // checked when the result is >= 0 and data is expected
  std::vector<std::uint8_t> data;  // the data written for a result > 0
};

void PrintTo(const RecordCase& c, std::ostream* os) {
  *os << c.line;
}

constexpr std::uint32_t kUntouched = 0xDEADBEEF;

const RecordCase kRecordCases[] = {
    {"S1", "S107100001020304DE\n", 4, 0x1000, {1, 2, 3, 4}},
    {"LowerCase", "s107100001020304de\n", 4, 0x1000, {1, 2, 3, 4}},
    {"LeadingBlanks", "  S107100001020304DE\n", 4, 0x1000, {1, 2, 3, 4}},
    {"S2", "S207010000010203F1\n", 3, 0x10000, {1, 2, 3}},
    {"S3", "S30A010400041122334455ED\n", 5, 0x1040004, {0x11, 0x22, 0x33, 0x44, 0x55}},
    {"DataRecordWithoutData", "S30501040010E5\n", 0, 0x1040010, {}},
    {"S9NotData", "S9030000FC\n", 0, kUntouched, {}},
    {"S0Header", "S00600004844521B\n", 0, kUntouched, {}},
    {"S5WrongChecksumIsNotChecked", "S5030000FF\n", 0, kUntouched, {}},
    {"UnknownTypeWellFormed", "SX03000000\n", 0, kUntouched, {}},
    {"ChecksumWrong", "S107100001020304DF\n", -1, 0, {}},
    {"CountWrong", "S108100001020304DE\n", -1, 0, {}},
    {"S0WrongCount", "S00700004844521B\n", -1, 0, {}},
    {"NoLineEnd", "S107100001020304DE", -1, 0, {}},
    {"CrSurvived", "S107100001020304DE\r\n", -1, 0, {}},
    {"Empty", "", -1, 0, {}},
    {"BlankLine", "\n", -1, 0, {}},
    {"NoS", "1234\n", -1, 0, {}},
    {"CountEqualsAddressLength", "S1021234\n", -1, 0, {}},
    {"CountEqualsAddressLengthSumsToFF", "S102FD00\n", -1, 0, {}},
    {"NonHexCharacterCountsAsZero", "S1071000G1020304DE\n", 4, 0x1000, {1, 2, 3, 4}},
};

class ParseSRecordTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(ParseSRecordTest, Decodes) {
  const RecordCase& c = GetParam();
  std::uint32_t address = kUntouched;
  SRecordData data{};
  data.fill(0xEE);
  const std::string original = c.line;
  EXPECT_EQ(ParseSRecord(c.line, address, data), c.result);
  EXPECT_EQ(c.line, original);
  if (c.result >= 0 && c.address != 0) {
    EXPECT_EQ(address, c.address);
  }
  if (c.result > 0) {
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.begin() + c.result), c.data);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseSRecordTest, ::testing::ValuesIn(kRecordCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParseSRecordTest, FieldsPastTheLineEndThrow) {
  std::uint32_t address = 0;
  SRecordData data{};
  // Fewer than two characters follow the only 'S': the count cannot be read.
  EXPECT_THROW(ParseSRecord("S\n", address, data), InvalidArgumentError);
  EXPECT_THROW(ParseSRecord("COMMENTS\n", address, data), InvalidArgumentError);
  // A data record whose count is smaller than its address length.
  EXPECT_THROW(ParseSRecord("S100\n", address, data), InvalidArgumentError);
  EXPECT_THROW(ParseSRecord("S30200EE\n", address, data), InvalidArgumentError);
}

TEST(ParseSRecordTest, LargestRecordOfAFullLine) {
  // Count 125 with a two-byte address: 255 characters with the line end,
  // 122 data bytes.
  std::string line = "S17D0000";
  unsigned sum = 0x7D;
  for (int i = 0; i < 122; ++i) {
    static const char* const kHex = "0123456789ABCDEF";
    line += kHex[i >> 4];
    line += kHex[i & 15];
    sum += static_cast<unsigned>(i);
  }
  const unsigned checksum = ~sum & 0xFF;
  line += "0123456789ABCDEF"[checksum >> 4];
  line += "0123456789ABCDEF"[checksum & 15];
  line += '\n';
  ASSERT_EQ(line.size(), 255u);
  std::uint32_t address = 1;
  SRecordData data{};
  ASSERT_EQ(ParseSRecord(line, address, data), 122);
  EXPECT_EQ(address, 0u);
  EXPECT_EQ(data[121], 121);
}

}  // namespace
}  // namespace zl

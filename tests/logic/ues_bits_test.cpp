#include "logic/ues_bits.h"

#include <gtest/gtest.h>

#include <string>

namespace zl {
namespace {

struct UesCase {
  const char* name;
  std::string text;
  std::string bits;
};

class UesToBitTextTable : public ::testing::TestWithParam<UesCase> {};

TEST_P(UesToBitTextTable, GivesFifteenBytesMostSignificantBitFirst) {
  const UesCase& c = GetParam();
  const std::string bits = UesToBitText(c.text);
  EXPECT_EQ(bits.size(), 120U);
  EXPECT_EQ(bits, c.bits);
}

INSTANTIATE_TEST_SUITE_P(Cases, UesToBitTextTable,
                         ::testing::Values(
                             // B 6 0 0 1 E 0 1 0 2, then five bytes of 0.
                             UesCase{"TenCharacters", "B6001E0102",
                                     "01000010"
                                     "00110110"
                                     "00110000"
                                     "00110000"
                                     "00110001"
                                     "01000101"
                                     "00110000"
                                     "00110001"
                                     "00110000"
                                     "00110010" +
                                         std::string(40, '0')},
                             UesCase{"Empty", "", std::string(120, '0')},
                             // Only the first 15 characters count: the 15th is 'O' (0x4F).
                             UesCase{"LongerThanFifteen", "AAAAAAAAAAAAAAOPQRS",
                                     [] {
                                       std::string bits;
                                       for (int i = 0; i < 14; ++i)
                                         bits += "01000001";
                                       return bits + "01001111";
                                     }()},
                             UesCase{"HighCodes", "\xFF\x80\x7F",
                                     "11111111"
                                     "10000000"
                                     "01111111" +
                                         std::string(96, '0')}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zl

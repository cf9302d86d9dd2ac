#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "images/setup_block.h"
#include "platform/errors.h"

namespace zl {
namespace {

std::vector<std::uint8_t> Head(const SetupBlock& block, std::size_t count) {
  return {block.begin(), block.begin() + static_cast<std::ptrdiff_t>(count)};
}

TEST(BuildSetupBlockTest, ExampleBlock) {
  const SetupBlock block =
      BuildSetupBlock("12345678", "10.0.0.5", "255.255.255.0", "10.0.0.1", "255.255.255.255", "");
  EXPECT_EQ(Head(block, 25),
            (std::vector<std::uint8_t>{0x02, 0xF1, 0xA9, 0x12, 0x34, 0x56, 0xFF, 0xFF, 0x0A,
                                       0x00, 0x00, 0x05, 0xFF, 0xFF, 0xFF, 0x00, 0x0A, 0x00,
                                       0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
  for (std::size_t i = 25; i < kSetupBlockSize; ++i) {
    EXPECT_EQ(block[i], 0) << i;
  }
}

TEST(BuildSetupBlockTest, InvalidAddressIsStoredAsAllOnes) {
  const SetupBlock block = BuildSetupBlock("12345678", "10.0.0.5", "255.255.255.256", "x", "", "");
  EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 12, block.begin() + 24),
            std::vector<std::uint8_t>(12, 0xFF));
}

TEST(BuildSetupBlockTest, SerialNumberBytes) {
  // Letters follow the same formula: "AB" gives (16 * 65 + 66 - 48) mod 256.
  EXPECT_EQ(Head(BuildSetupBlock("AB9012", "", "", "", "", ""), 6),
            (std::vector<std::uint8_t>{0x02, 0xF1, 0xA9, 0x22, 0x90, 0x12}));
  // A sixth character that is missing reads as code 0: 16 * '5' - 48.
  EXPECT_EQ(BuildSetupBlock("12345", "", "", "", "", "")[5],
            static_cast<std::uint8_t>(16 * '5' - 48));
  EXPECT_THROW(BuildSetupBlock("1234", "", "", "", "", ""), InvalidArgumentError);
  EXPECT_THROW(BuildSetupBlock("", "", "", "", "", ""), InvalidArgumentError);
}

TEST(BuildSetupBlockTest, SetupTextIsCutAt79Characters) {
  std::string text;
  for (int i = 0; i < 100; ++i) {
    text.push_back(static_cast<char>('A' + i % 26));
  }
  const SetupBlock block = BuildSetupBlock("12345678", "", "", "", "", text);
  EXPECT_EQ(std::string(block.begin() + 24, block.begin() + 103), text.substr(0, 79));
  EXPECT_EQ(block[103], 0);
}

}  // namespace
}  // namespace zl

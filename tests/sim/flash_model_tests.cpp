#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "link/loader_commands.h"
#include "sim/flash_model.h"

namespace zl::sim {
namespace {

TEST(FlashModelMap, SectorsTileTheFlashAndIncludeEveryManagedSector) {
  std::uint32_t next = FlashModel::kBase;
  for (const auto& sector : FlashModel::Sectors()) {
    EXPECT_EQ(sector.start, next);
    next = sector.start + sector.size;
  }
  EXPECT_EQ(next, FlashModel::kBase + FlashModel::kSize);
  for (std::uint32_t managed : kSectors) {
    const auto sector = FlashModel::SectorAt(managed);
    ASSERT_TRUE(sector.has_value()) << std::hex << managed;
    EXPECT_TRUE(sector->writable);
  }
  // The setup block and the whole firmware image fit their sectors.
  EXPECT_GE(FlashModel::SectorAt(0x1008000)->size, 104u);
}

struct ProgramCase {
  const char* name;
  std::vector<std::uint8_t> before;  // programmed first at the same address
  std::vector<std::uint8_t> data;
  bool accepted;
  std::vector<std::uint8_t> after;
};

class FlashProgramming : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(FlashProgramming, OnlyClearsBits) {
  const auto& c = GetParam();
  constexpr std::uint32_t at = 0x1040010;
  FlashModel flash;
  ASSERT_TRUE(flash.Program(at, c.before.data(), c.before.size()));
  EXPECT_EQ(flash.Program(at, c.data.data(), c.data.size()), c.accepted);
  std::vector<std::uint8_t> read(c.after.size());
  ASSERT_TRUE(flash.Read(at, read.data(), read.size()));
  EXPECT_EQ(read, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Nor, FlashProgramming,
    ::testing::Values(ProgramCase{"ErasedTakesAnyValue", {}, {0x12, 0xAB}, true, {0x12, 0xAB}},
                      ProgramCase{"ClearingMoreBits", {0xF0}, {0x30}, true, {0x30}},
                      ProgramCase{"SameValueAgain", {0x5A}, {0x5A}, true, {0x5A}},
                      ProgramCase{"SettingABitIsRefused", {0x0F}, {0x1F}, false, {0x0F}},
                      ProgramCase{
                          "RefusalWritesNothing", {0xFF, 0x00}, {0x11, 0x01}, false, {0xFF, 0x00}},
                      ProgramCase{"EmptyRequest", {}, {}, true, {0xFF}}),
    [](const auto& info) { return info.param.name; });

TEST(FlashModel, RefusesRangesOutsideTheFlashAndTheLoaderSector) {
  FlashModel flash;
  const std::uint8_t data[4] = {0, 0, 0, 0};
  EXPECT_FALSE(flash.Program(0x0FFFFFE, data, 4));  // below
  EXPECT_FALSE(
      flash.Program(FlashModel::kBase + FlashModel::kSize - 2, data, 4));  // across the end
  EXPECT_FALSE(flash.Program(0xFFFFFFFE, data, 4));                        // wraps
  EXPECT_FALSE(flash.Program(0x1000000, data, 4));                         // the loader
  EXPECT_TRUE(flash.Program(FlashModel::kBase + FlashModel::kSize - 4, data, 4));
  std::uint8_t out[4];
  EXPECT_FALSE(flash.Read(FlashModel::kBase + FlashModel::kSize - 2, out, 4));
  EXPECT_FALSE(flash.Read(0x0FFFFFF, out, 1));
}

TEST(FlashModel, EraseSetsExactlyOneSectorToFF) {
  FlashModel flash;
  const std::vector<std::uint8_t> zeros(16, 0);
  for (std::uint32_t at : {0x100BFF0u, 0x100C000u, 0x100FFF0u, 0x1010000u}) {
    ASSERT_TRUE(flash.Program(at, zeros.data(), zeros.size()));
  }
  ASSERT_TRUE(flash.EraseSector(0x100C000));
  std::uint8_t b = 0;
  for (auto [at, expected] :
       {std::pair{0x100BFFFu, 0x00}, {0x100C000u, 0xFF}, {0x100FFFFu, 0xFF}, {0x1010000u, 0x00}}) {
    ASSERT_TRUE(flash.Read(at, &b, 1));
    EXPECT_EQ(b, expected) << std::hex << at;
  }
  // Programming works again where it was refused before the erase.
  const std::uint8_t ff = 0xFF;
  EXPECT_TRUE(flash.Program(0x100C000, &ff, 1));
}

TEST(FlashModel, EraseNeedsAWritableSectorStart) {
  FlashModel flash;
  EXPECT_FALSE(flash.EraseSector(0x1040004));
  EXPECT_FALSE(flash.EraseSector(0x1000000));
  EXPECT_FALSE(flash.EraseSector(0x2000000));
}

}  // namespace
}  // namespace zl::sim

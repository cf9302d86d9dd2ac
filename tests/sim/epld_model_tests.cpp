#include <gtest/gtest.h>

#include <string>

#include "sim/device.h"
#include "sim/epld_model.h"

namespace zl::sim {
namespace {

std::string Pattern(std::size_t length, std::size_t period) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    text.push_back(i % period == 0 ? '0' : '1');
  }
  return text;
}

TEST(EpldModel, HoldsWhatWasWrittenAfterAnErase) {
  EpldModel epld;
  const std::string row = Pattern(240, 3);
  ASSERT_TRUE(epld.WriteRow(133, row));
  ASSERT_TRUE(epld.WriteUes(Pattern(120, 5)));
  EXPECT_EQ(epld.Row(133), row);
  EXPECT_EQ(epld.Row(0), std::string(240, '1'));
  EXPECT_EQ(epld.Ues(), Pattern(120, 5));
}

TEST(EpldModel, AProgrammedFuseComesBackOnlyByBulkErase) {
  EpldModel epld;
  ASSERT_TRUE(epld.WriteRow(7, Pattern(240, 2)));
  EXPECT_FALSE(epld.WriteRow(7, Pattern(240, 3)));  // would turn '0's back into '1'
  EXPECT_EQ(epld.Row(7), Pattern(240, 2));
  EXPECT_TRUE(epld.WriteRow(7, std::string(240, '0')));  // clearing more is fine
  ASSERT_TRUE(epld.WriteUes(std::string(120, '0')));
  EXPECT_FALSE(epld.WriteUes(Pattern(120, 2)));
  epld.BulkErase();
  EXPECT_EQ(epld.Row(7), std::string(240, '1'));
  EXPECT_EQ(epld.Ues(), std::string(120, '1'));
  EXPECT_TRUE(epld.WriteRow(7, Pattern(240, 3)));
}

TEST(EpldModel, RefusesMalformedRowsAndRowNumbers) {
  EpldModel epld;
  std::string badChar = Pattern(240, 4);
  badChar[100] = '2';
  for (const std::string& text : {std::string(239, '0'), std::string(241, '0'), badChar}) {
    EXPECT_FALSE(epld.WriteRow(0, text)) << text.size();
  }
  EXPECT_FALSE(epld.WriteRow(134, std::string(240, '0')));
  EXPECT_FALSE(epld.WriteUes(std::string(119, '0')));
  EXPECT_EQ(epld.Row(0), std::string(240, '1'));
}

TEST(DeviceIdentityRules, LogicVersionComesFromTheSignatureDigits) {
  EpldModel epld;
  EXPECT_EQ(LogicVersionOf(epld), 0);  // erased: 0xFF characters
  epld.SetUes(UesBitsOf("B6001E0102"));
  EXPECT_EQ(LogicVersionOf(epld), 102);
  epld.SetUes(UesBitsOf("B6001E0999"));
  EXPECT_EQ(LogicVersionOf(epld), 999);
  epld.SetUes(UesBitsOf("B6001E01A2"));
  EXPECT_EQ(LogicVersionOf(epld), 0);
  epld.SetUes(UesBitsOf("B6001E"));
  EXPECT_EQ(LogicVersionOf(epld), 0);
}

TEST(DeviceIdentityRules, FirmwareVersionNeedsTheValidityMarker) {
  FlashModel flash;
  const std::uint8_t version[2] = {0x00, 0x66};
  ASSERT_TRUE(flash.Program(kFirmwareVersionAddress, version, 2));
  EXPECT_EQ(FirmwareVersionOf(flash), 0);
  const std::uint8_t almost[3] = {0xAA, 0x55, 0x55};
  ASSERT_TRUE(flash.Program(kFirmwareArea, almost, 3));  // marker incomplete
  EXPECT_EQ(FirmwareVersionOf(flash), 0);
  ASSERT_TRUE(flash.Program(kFirmwareArea, kValidityMarker, 4));
  EXPECT_EQ(FirmwareVersionOf(flash), 0x66);
  ASSERT_TRUE(flash.EraseSector(kFirmwareArea));
  EXPECT_EQ(FirmwareVersionOf(flash), 0);
}

}  // namespace
}  // namespace zl::sim

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/device.h"
#include "sim/sim_options.h"
#include "sim/state_file.h"

namespace zl::sim {
namespace {

TEST(StateFile, RoundTripKeepsFlashLogicAndIdentity) {
  DeviceConfig config;
  config.serialNumber = "987654321C";
  config.loaderVersion = 7;
  config.logicDeviceType = 21;
  Device device = MakeFreshDevice(config);
  ASSERT_TRUE(device.flash.EraseSector(kFirmwareArea));
  const std::uint8_t bytes[3] = {0x00, 0x10, 0x7F};
  ASSERT_TRUE(device.flash.Program(0x10FFFFD, bytes, 3));  // the flash's last bytes
  device.epld.BulkErase();
  ASSERT_TRUE(device.epld.WriteRow(133, std::string(240, '0')));

  Device loaded;  // defaults everywhere, to be overwritten
  std::string error;
  ASSERT_TRUE(ParseState(StateText(device), loaded, error)) << error;
  EXPECT_EQ(loaded.flash.Bytes(), device.flash.Bytes());
  for (std::size_t r = 0; r < EpldModel::kRows; ++r) {
    EXPECT_EQ(loaded.epld.Row(r), device.epld.Row(r)) << r;
  }
  EXPECT_EQ(loaded.epld.Ues(), device.epld.Ues());
  EXPECT_EQ(loaded.config.serialNumber, "987654321C");
  EXPECT_EQ(loaded.config.loaderVersion, 7);
  EXPECT_EQ(loaded.config.logicDeviceType, 21);
  EXPECT_EQ(FirmwareVersionOf(loaded.flash), 0);
}

TEST(StateFile, MalformedFilesChangeNothing) {
  const std::string head = "zeta7-sim state 1\n";
  const std::vector<std::string> texts = {
      "",
      "zeta7-sim state 2\n",
      head + "serial 123\n",
      head + "loader 70000\n",
      head + "ues 0101\n",
      head + "row 134 " + std::string(240, '0') + "\n",
      head + "row 1 " + std::string(240, '2') + "\n",
      head + "flash 0FFFFFF 00\n",    // below the flash
      head + "flash 10FFFFF 0000\n",  // past its end
      head + "flash 1008000 0G\n",
      head + "flash 1008000 000\n",
      head + "colour blue\n",
  };
  for (const auto& text : texts) {
    Device device = MakeFreshDevice({});
    const auto flashBefore = device.flash.Bytes();
    std::string error;
    EXPECT_FALSE(ParseState(text, device, error)) << text;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(device.flash.Bytes(), flashBefore);
    EXPECT_EQ(LogicVersionOf(device.epld), 100);
  }
}

int Parse(std::vector<const char*> args, SimOptions& options, std::string& message) {
  args.insert(args.begin(), "zeta7-sim");
  return ParseSimOptions(static_cast<int>(args.size()), args.data(), options, message);
}

TEST(SimOptions, FaultsAndDeviceSettings) {
  SimOptions o;
  std::string message;
  ASSERT_EQ(Parse({"--no-pacing",
                   "--serial",
                   "000000123C",
                   "--speed",
                   "57600",
                   "--drop-response",
                   "2",
                   "--drop-response",
                   "5",
                   "--late-response",
                   "3:2500",
                   "--fail-erase",
                   "0x1080000",
                   "--fail-program-at",
                   "0x1040004",
                   "--corrupt-row-erased",
                   "133",
                   "--refuse-speed-above",
                   "38400",
                   "--hang-up-after",
                   "100",
                   "--echo-identify",
                   "1",
                   "--erase-time",
                   "0"},
                  o, message),
            -1)
      << message;
  EXPECT_FALSE(o.pacing);
  EXPECT_EQ(o.config.serialNumber, "000000123C");
  EXPECT_EQ(o.serialOverride, "000000123C");
  EXPECT_EQ(o.config.startSpeed, 57600u);
  EXPECT_EQ(o.config.sectorEraseMs, 0u);
  EXPECT_EQ(o.faults.dropResponses, (std::set<std::uint32_t>{2, 5}));
  EXPECT_EQ(o.faults.lateResponses.at(3), 2500u);
  EXPECT_EQ(o.faults.failEraseSectors, (std::set<std::uint32_t>{0x1080000}));
  EXPECT_EQ(o.faults.failProgramAddress, 0x1040004u);
  EXPECT_EQ(o.faults.corruptRowErased, 133u);
  EXPECT_FALSE(o.faults.corruptRowProgrammed.has_value());
  EXPECT_EQ(o.faults.refuseSpeedAbove, 38400u);
  EXPECT_EQ(o.faults.hangUpAfterBytes, 100u);
  EXPECT_EQ(o.faults.echoIdentifyCount, 1u);
  EXPECT_FALSE(o.loaderOverride.has_value());
}

TEST(SimOptions, UsageErrors) {
  const std::vector<std::vector<const char*>> cases = {
      {"--serial", "123456789"},
      {"--speed", "14400"},
      {"--late-response", "3"},
      {"--late-response", "x:10"},
      {"--corrupt-row-programmed", "134"},
      {"--device-type", "256"},
      {"--fail-erase", "-1"},
      {"--drop-response", "two"},
      {"--unknown"},
      {"--tty"},
  };
  for (const auto& args : cases) {
    SimOptions o;
    std::string message;
    EXPECT_EQ(Parse(args, o, message), 2) << args[0];
    EXPECT_FALSE(message.empty());
  }
  SimOptions o;
  std::string message;
  EXPECT_EQ(Parse({"--help"}, o, message), 0);
  EXPECT_NE(message.find("--hang-up-after"), std::string::npos);
}

}  // namespace
}  // namespace zl::sim

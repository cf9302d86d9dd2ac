#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "link/loader_commands.h"
#include "link/loader_link.h"
#include "link/serial_port.h"
#include "sim/device.h"
#include "sim/sample_content.h"
#include "tests/support/fake_clock.h"
#include "tests/support/virtual_wire.h"

namespace zl {
namespace {

using test::FakeClock;
using test::VirtualWire;

const char* const kCom1 = "\\\\.\\COM1";

class LinkOverWire : public ::testing::Test {
 protected:
  explicit LinkOverWire(sim::DeviceConfig config = {}) : wire(clock, config) {
    wire.Attach(link.port);
  }

  void Open(std::uint32_t speed = 115200) { ASSERT_EQ(LinkOpen(link, kCom1, speed), kOk); }

  FakeClock clock;
  VirtualWire wire;
  LoaderLink link;
};

// Every starting speed of the loader against every requested speed: the
// link ends at the requested speed on both sides, and the loader answers.
class SpeedNegotiation : public ::testing::TestWithParam<std::tuple<std::uint32_t, std::uint32_t>> {
};

TEST_P(SpeedNegotiation, EndsAtTheRequestedSpeedOnBothSides) {
  const auto [start, requested] = GetParam();
  FakeClock clock;
  sim::DeviceConfig config;
  config.startSpeed = start;
  VirtualWire wire(clock, config);
  LoaderLink link;
  wire.Attach(link.port);

  ASSERT_EQ(LinkOpen(link, kCom1, requested), kOk);
  EXPECT_EQ(wire.engine().Speed(), requested);
  EXPECT_EQ(wire.HostSpeed(), requested);
  DeviceIdentity identity;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.serialNumber, "12345678");
  // The port's top speed is tried first, then the requested one; a loader
  // elsewhere is found by the scan from the bottom and moved by the speed
  // message.
  std::vector<std::uint32_t> expected = {115200, requested};
  if (start != requested) {
    for (auto speed : kLinkSpeedTable) {
      expected.push_back(speed);
      if (speed == start) {
        break;
      }
    }
    expected.push_back(requested);
  }
  EXPECT_EQ(wire.SpeedsSet(), expected);
}

INSTANTIATE_TEST_SUITE_P(AllSpeeds, SpeedNegotiation,
                         ::testing::Combine(::testing::ValuesIn(kLinkSpeedTable),
                                            ::testing::ValuesIn(kLinkSpeedTable)));

TEST_F(LinkOverWire, FreshDeviceIdentifiesWithFactoryVersions) {
  Open();
  DeviceIdentity identity;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.loaderVersion, 110);
  EXPECT_EQ(identity.firmwareVersion, sim::kFactoryVersion);
  EXPECT_EQ(identity.logicVersion, sim::kFactoryVersion);
  EXPECT_EQ(identity.serialNumber, "12345678");
}

TEST_F(LinkOverWire, FlashCommandsFollowTheNorModel) {
  Open();
  const std::uint8_t data[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0xFF, 0xFF, 0xFF};
  std::uint32_t value = 0;
  ASSERT_EQ(LoaderEraseSector(link, 0x100C000), kOk);
  ASSERT_EQ(LoaderProgramMemory(link, 0x100C010, 8, data, value), kOk);
  std::uint8_t back[8] = {};
  ASSERT_EQ(LoaderReadMemory(link, 0x100C010, 8, back), kOk);
  EXPECT_EQ(std::vector<std::uint8_t>(back, back + 8), std::vector<std::uint8_t>(data, data + 8));

  // Bits that are 0 cannot be programmed back to 1, and nothing is written.
  const std::uint8_t ones[2] = {0xFF, 0x00};
  EXPECT_EQ(LoaderProgramMemory(link, 0x100C010, 2, ones, value), kErrProgramFailed);
  ASSERT_EQ(LoaderReadMemory(link, 0x100C010, 2, back), kOk);
  EXPECT_EQ(back[0], 0x11);
  EXPECT_EQ(back[1], 0x22);
  // Outside the flash.
  EXPECT_EQ(LoaderProgramMemory(link, 0x2000000, 2, ones, value), kErrProgramFailed);
  EXPECT_EQ(LoaderReadMemory(link, 0x2000000, 2, back), kErrBadResponse);
  EXPECT_EQ(LoaderEraseSector(link, 0x100C004), kErrEraseFailed);

  ASSERT_EQ(LoaderEraseAllSectors(link), kOk);
  for (std::uint32_t sector : kSectors) {
    ASSERT_EQ(LoaderReadMemory(link, sector, 8, back), kOk);
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + 8), std::vector<std::uint8_t>(8, 0xFF));
  }
  DeviceIdentity identity;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.firmwareVersion, 0) << "no marker, no firmware";
}

TEST_F(LinkOverWire, LogicCommandsFollowTheEpldModel) {
  Open();
  ASSERT_EQ(LoaderLogicMode(link, true), kOk);
  std::uint8_t type = 0;
  ASSERT_EQ(LoaderLogicReadId(link, type), kOk);
  EXPECT_EQ(type, kLogicDeviceType);
  ASSERT_EQ(LoaderLogicErase(link), kOk);

  std::string row(240, '1');
  for (std::size_t i = 0; i < row.size(); i += 3) {
    row[i] = '0';
  }
  ASSERT_EQ(LoaderLogicWriteRow(link, 16, row), kOk);  // row 16 is a DLE on the line
  std::string programmed, erased;
  ASSERT_EQ(LoaderLogicReadRow(link, 16, programmed, erased), kOk);
  EXPECT_EQ(programmed, row);
  EXPECT_EQ(erased, row);
  ASSERT_EQ(LoaderLogicReadRow(link, 17, programmed, erased), kOk);
  EXPECT_EQ(programmed, std::string(240, '1'));

  // A second write cannot bring fuses back: the row keeps its contents.
  ASSERT_EQ(LoaderLogicWriteRow(link, 16, std::string(240, '1')), kOk);
  ASSERT_EQ(LoaderLogicReadRow(link, 16, programmed, erased), kOk);
  EXPECT_EQ(programmed, row);

  const std::string ues = sim::UesBitsOf("B6001E0123");
  ASSERT_EQ(LoaderLogicWriteUes(link, ues), kOk);
  std::string signature;
  ASSERT_EQ(LoaderLogicReadUes(link, signature), kOk);
  EXPECT_EQ(signature, ues);
  ASSERT_EQ(LoaderLogicMode(link, false), kOk);

  DeviceIdentity identity;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.logicVersion, 123);
  EXPECT_EQ(identity.firmwareVersion, sim::kFactoryVersion);
}

TEST_F(LinkOverWire, StartFirmwareIsAnsweredAndALaterConnectWakesTheLoader) {
  Open();
  ASSERT_EQ(LoaderStartFirmware(link), kOk);
  LinkClose(link);
  ASSERT_EQ(LinkOpen(link, kCom1, 115200), kOk);
  DeviceIdentity identity;
  EXPECT_EQ(LoaderIdentify(link, identity), kOk);
}

TEST_F(LinkOverWire, ADroppedOrDamagedResponseIsRetried) {
  Open();
  wire.faults().dropResponses = {1};
  wire.faults().corruptChecksumResponses = {3};
  wire.faults().noiseBeforeResponses = {5};
  DeviceIdentity identity;
  // Answers 1 to 4: 'r' lost, 'r', 'd' damaged, 'd'.
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(wire.engine().CommandCount('r'), 2u);
  EXPECT_EQ(wire.engine().CommandCount('d'), 2u);
  // Answers 5 and 6: 'r' after noise, 'd'.
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(wire.engine().CommandCount('r'), 3u);
  EXPECT_EQ(wire.engine().CommandCount('d'), 3u);
  EXPECT_EQ(identity.serialNumber, "12345678");
}

TEST_F(LinkOverWire, ThreeLostAnswersFailTheTransaction) {
  Open();
  wire.faults().dropResponses = {1, 2, 3};
  const std::uint32_t before = clock.Now();
  EXPECT_EQ(LoaderEraseSector(link, 0x100C000), kErrNoResponse);
  // Each attempt waited its full per-byte timeout (erase: 10 s extra).
  EXPECT_GE(clock.Now() - before, 3 * LinkResponseTimeout(5, 115200, 10000));
}

TEST_F(LinkOverWire, ALateAnswerWithinTheTimeoutIsTaken) {
  Open();
  wire.faults().lateResponses[1] = 1500;  // 'g' may take 10 s more
  EXPECT_EQ(LoaderEraseSector(link, 0x100C000), kOk);
  EXPECT_EQ(wire.engine().CommandCount('g'), 1u);
}

TEST_F(LinkOverWire, IdentityFaults) {
  Open();
  DeviceIdentity identity;
  wire.faults().echoIdentifyCount = 1;
  EXPECT_EQ(LoaderIdentify(link, identity), kErrIdentifyEcho);
  EXPECT_EQ(wire.engine().CommandCount('d'), 0u);
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);

  wire.faults().identifyWrongLength = true;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.loaderVersion, 0);
  EXPECT_EQ(identity.firmwareVersion, 0);
  EXPECT_EQ(identity.logicVersion, 0);

  wire.faults().identifyWrongLength = false;
  wire.faults().identifyZeroLoader = true;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.loaderVersion, 0);
  EXPECT_EQ(identity.firmwareVersion, sim::kFactoryVersion);
}

TEST_F(LinkOverWire, CommandFaults) {
  Open();
  std::uint32_t value = 0;
  const std::uint8_t zeros[2] = {0x00, 0x00};
  wire.faults().failEraseSectors = {0x1080000};
  EXPECT_EQ(LoaderEraseSector(link, 0x1040000), kOk);
  EXPECT_EQ(LoaderEraseSector(link, 0x1080000), kErrEraseFailed);
  wire.faults().failProgramAddress = 0x1040002;
  EXPECT_EQ(LoaderProgramMemory(link, 0x1040000, 1, zeros, value), kOk);
  EXPECT_EQ(LoaderProgramMemory(link, 0x1040001, 2, zeros, value), kErrProgramFailed);
  wire.faults().failProgram = true;
  EXPECT_EQ(LoaderProgramMemory(link, 0x1040010, 1, zeros, value), kErrProgramFailed);

  wire.device().config.logicDeviceType = 7;
  ASSERT_EQ(LoaderLogicMode(link, true), kOk);
  std::uint8_t type = 0;
  ASSERT_EQ(LoaderLogicReadId(link, type), kOk);
  EXPECT_EQ(type, 7);
}

TEST_F(LinkOverWire, ReadBackFaultsShowInTheReadingsOnly) {
  Open();
  wire.faults().corruptRowProgrammed = 5;
  wire.faults().corruptRowErased = 6;
  wire.faults().corruptUes = true;
  wire.faults().corruptSetupBlock = true;
  ASSERT_EQ(LoaderLogicMode(link, true), kOk);
  std::string programmed, erased, ues;
  const auto& epld = wire.device().epld;
  ASSERT_EQ(LoaderLogicReadRow(link, 5, programmed, erased), kOk);
  EXPECT_NE(programmed, epld.Row(5));
  EXPECT_EQ(erased, epld.Row(5));
  ASSERT_EQ(LoaderLogicReadRow(link, 6, programmed, erased), kOk);
  EXPECT_EQ(programmed, epld.Row(6));
  EXPECT_NE(erased, epld.Row(6));
  ASSERT_EQ(LoaderLogicReadUes(link, ues), kOk);
  EXPECT_EQ(ues.substr(0, 80), epld.Ues().substr(0, 80));
  EXPECT_NE(ues, epld.Ues());

  std::uint8_t block[104];
  ASSERT_EQ(LoaderReadMemory(link, 0x1008000, 104, block), kOk);
  EXPECT_EQ(block[0], 0xFE) << "one byte of the erased block read wrong";
  EXPECT_EQ(block[1], 0xFF);
  std::uint8_t firmware[4];
  ASSERT_EQ(LoaderReadMemory(link, 0x1040000, 4, firmware), kOk);
  EXPECT_EQ(firmware[0], 0xAA) << "other places read true";
}

TEST_F(LinkOverWire, TheLinkFollowsTheSpeedTheLoaderAnswers) {
  wire.faults().answerSpeed = 38400;
  ASSERT_EQ(LinkOpen(link, kCom1, 115200), kOk);
  EXPECT_EQ(wire.HostSpeed(), 38400u);
  EXPECT_EQ(wire.engine().Speed(), 38400u);
  DeviceIdentity identity;
  EXPECT_EQ(LoaderIdentify(link, identity), kOk);
}

TEST_F(LinkOverWire, AnUnansweredSpeedMessageFailsTheOpen) {
  wire.faults().refuseSpeedAbove = 57600;
  EXPECT_EQ(LinkOpen(link, kCom1, 115200), kErrPortOpen);
  EXPECT_FALSE(wire.IsOpen());
  EXPECT_EQ(LinkOpen(link, kCom1, 57600), kOk);
}

TEST_F(LinkOverWire, APortWithout115200EndsAt57600) {
  wire.portFaults.refuseSpeedAbove = 57600;
  ASSERT_EQ(LinkOpen(link, kCom1, 115200), kOk);
  EXPECT_EQ(wire.engine().Speed(), 57600u);
}

TEST(LinkOverWireNoAnswer, ALoaderAtNoTableSpeedIsNotFound) {
  FakeClock clock;
  sim::DeviceConfig config;
  config.startSpeed = 4800;  // every probe arrives garbled
  VirtualWire wire(clock, config);
  LoaderLink link;
  wire.Attach(link.port);
  EXPECT_EQ(LinkOpen(link, kCom1, 115200), kErrNoResponse);
  EXPECT_FALSE(link.open);
  EXPECT_FALSE(wire.IsOpen());
  EXPECT_EQ(wire.engine().CommandCount('r'), 0u);
  const std::vector<std::uint32_t> tried = {115200, 115200, 9600, 19200, 38400, 57600, 115200};
  EXPECT_EQ(wire.SpeedsSet(), tried);
}

TEST_F(LinkOverWire, UnpluggingEndsInAFailureNotAHang) {
  Open();
  wire.Unplug();
  DeviceIdentity identity;
  const std::uint32_t before = clock.Now();
  EXPECT_LT(LoaderIdentify(link, identity), 0);
  EXPECT_LT(clock.Now() - before, 60000u);
  LinkClose(link);
  EXPECT_EQ(LinkOpen(link, kCom1, 115200), kErrPortOpen);
}

TEST_F(LinkOverWire, HangingUpInTheMiddleOfAnEraseFails) {
  Open();
  // The first two erase frames take 13 and 12 bytes; the line dies inside
  // the third.
  wire.faults().hangUpAfterBytes = wire.Written().size() + 13 + 12 + 5;
  EXPECT_LT(LoaderEraseAllSectors(link), 0);
  EXPECT_TRUE(wire.Dead());
  EXPECT_EQ(wire.engine().CommandCount('g'), 2u);
}

TEST_F(LinkOverWire, BytesAtAnotherSpeedArriveGarbled) {
  Open(115200);
  ASSERT_EQ(PortSetSpeed(link.port, 9600), kOk);
  DeviceIdentity identity;
  EXPECT_EQ(LoaderIdentify(link, identity), kErrNoResponse);
  EXPECT_EQ(wire.engine().CommandCount('r'), 0u);
  ASSERT_EQ(PortSetSpeed(link.port, 115200), kOk);
  EXPECT_EQ(LoaderIdentify(link, identity), kOk);
}

class TenCharacterSerial : public LinkOverWire {
 protected:
  static sim::DeviceConfig Config() {
    sim::DeviceConfig config;
    config.serialNumber = "0012345C7C";
    return config;
  }
  TenCharacterSerial() : LinkOverWire(Config()) {}
};

TEST_F(TenCharacterSerial, IdentifiesWithSeventeenBytes) {
  Open(9600);
  DeviceIdentity identity;
  ASSERT_EQ(LoaderIdentify(link, identity), kOk);
  EXPECT_EQ(identity.serialNumber, "0012345C7C");
  // The factory logic is the variant this serial number selects.
  const auto rows = sim::FuseRows(21, sim::kFactoryVersion);
  EXPECT_EQ(wire.device().epld.Row(0), rows[0]);
}

}  // namespace
}  // namespace zl

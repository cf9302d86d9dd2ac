// Every workflow of the main dialog against every fault the emulated device
// can show: the real dialog logic on the recording host, the in-process
// emulator on the fake clock. Each cell checks the texts and boxes the user
// gets, the time the run takes on the fake clock, whether the port is still
// held, and what the device holds afterwards.
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "images/setup_block.h"
#include "tests/app/dialog_rig.h"

namespace zl::test {
namespace {

using Texts = std::vector<std::string>;

enum class Flow { kConnect, kCurrent, kUpdateFirmware, kUpdateLogic, kErase, kTransmit, kOk };

enum class Fault {
  kDropOne,         // one response lost: the link's retry absorbs it
  kDropThree,       // three in a row: the transaction fails
  kChecksumOne,     // one response with a wrong checksum
  kChecksumThree,   // three in a row
  kLate,            // one response 150 ms later than usual
  kNoise,           // stray bytes before one response
  kEchoOnce,        // the next 'r' request is echoed
  kEchoAlways,      // every 'r' request is echoed
  kShortIdentity,   // 'd' answered with the wrong length
  kZeroLoader,      // 'd' reports loader version 0
  kFailErase,       // the loader reports a failed sector erase
  kFailProgram,     // every flash program request fails
  kFailMarker,      // only the program request of the validity marker fails
  kWrongDevice,     // the EPLD reports device type 20
  kRowProgrammed,   // a row reads back wrong after programming
  kRowErased,       // a row reads back wrong in its erased reading
  kUesReadBack,     // the UES reads back with one bit wrong
  kSetupReadBack,   // the setup block reads back with one byte wrong
  kOtherSpeed,      // the speed message is answered with 57600
  kDeviceRefuses,   // the loader does not answer requests above 38400
  kPortRefuses,     // the host's port cannot be set above 57600
  kHangUp,          // the line dies part way through
  kLateLong,        // one response comes after the link gave up on it and asked again
  kLateLongMarker,  // that, and the validity marker's programming fails
};

const char* FlowName(Flow flow) {
  switch (flow) {
    case Flow::kConnect:
      return "Connect";
    case Flow::kCurrent:
      return "Current";
    case Flow::kUpdateFirmware:
      return "UpdateFirmware";
    case Flow::kUpdateLogic:
      return "UpdateLogic";
    case Flow::kErase:
      return "Erase";
    case Flow::kTransmit:
      return "Transmit";
    case Flow::kOk:
      return "Ok";
  }
  return "?";
}

const char* FaultName(Fault fault) {
  switch (fault) {
    case Fault::kDropOne:
      return "DropOne";
    case Fault::kDropThree:
      return "DropThree";
    case Fault::kChecksumOne:
      return "ChecksumOne";
    case Fault::kChecksumThree:
      return "ChecksumThree";
    case Fault::kLate:
      return "Late";
    case Fault::kNoise:
      return "Noise";
    case Fault::kEchoOnce:
      return "EchoOnce";
    case Fault::kEchoAlways:
      return "EchoAlways";
    case Fault::kShortIdentity:
      return "ShortIdentity";
    case Fault::kZeroLoader:
      return "ZeroLoader";
    case Fault::kFailErase:
      return "FailErase";
    case Fault::kFailProgram:
      return "FailProgram";
    case Fault::kFailMarker:
      return "FailMarker";
    case Fault::kWrongDevice:
      return "WrongDevice";
    case Fault::kRowProgrammed:
      return "RowProgrammed";
    case Fault::kRowErased:
      return "RowErased";
    case Fault::kUesReadBack:
      return "UesReadBack";
    case Fault::kSetupReadBack:
      return "SetupReadBack";
    case Fault::kOtherSpeed:
      return "OtherSpeed";
    case Fault::kDeviceRefuses:
      return "DeviceRefuses";
    case Fault::kPortRefuses:
      return "PortRefuses";
    case Fault::kHangUp:
      return "HangUp";
    case Fault::kLateLong:
      return "LateLong";
    case Fault::kLateLongMarker:
      return "LateLongMarker";
  }
  return "?";
}

constexpr int kKeep = -1;  // device version not checked

struct Cell {
  Flow flow;
  Fault fault;
  bool passes;
  Texts boxes;  // boxes after the Erase question, in order
  int deviceFirmware = kKeep;
  int deviceLogic = kKeep;
};

std::ostream& operator<<(std::ostream& out, const Cell& cell) {
  return out << FlowName(cell.flow) << " x " << FaultName(cell.fault);
}

constexpr const char* kComm = "Communication with ZETA failed!";
constexpr const char* kCannot = "Cannot connect to ZETA loader!";
constexpr const char* kNoZeta = "There is no Zeta7 connected!";
constexpr const char* kFirmwareFailed = "Firmware update failed!";
constexpr const char* kTransfer = "Transfer failed!";
constexpr const char* kNoSerial =
    "Transfer failed!\n\nThe device did not report a usable serial number, so the setup data "
    "cannot be built.";
constexpr int kOld = sim::kFactoryVersion;
constexpr int kNew = sim::kSampleVersion;

// clang-format off
const std::vector<Cell> kCells = {
    // Connect: ten attempts, each opening the line and identifying; the
    // device is never changed.
    {Flow::kConnect, Fault::kDropOne, true, {}, kOld, kOld},
    {Flow::kConnect, Fault::kDropThree, true, {}, kOld, kOld},
    {Flow::kConnect, Fault::kChecksumOne, true, {}, kOld, kOld},
    {Flow::kConnect, Fault::kChecksumThree, true, {}, kOld, kOld},
    {Flow::kConnect, Fault::kLate, true, {}, kOld, kOld},
    {Flow::kConnect, Fault::kNoise, true, {}, kOld, kOld},
    {Flow::kConnect, Fault::kEchoOnce, true, {}, kOld, kOld},
    {Flow::kConnect, Fault::kEchoAlways, false, {kCannot}, kOld, kOld},
    {Flow::kConnect, Fault::kShortIdentity, false, {kNoZeta}, kOld, kOld},
    {Flow::kConnect, Fault::kZeroLoader, false, {kNoZeta}, kOld, kOld},
    {Flow::kConnect, Fault::kOtherSpeed, true, {}, kOld, kOld},
    {Flow::kConnect, Fault::kDeviceRefuses, false, {kCannot}, kOld, kOld},
    {Flow::kConnect, Fault::kPortRefuses, true, {}, kOld, kOld},
    {Flow::kConnect, Fault::kHangUp, false, {kCannot}, kOld, kOld},
    // Current: one identification over the open line.
    {Flow::kCurrent, Fault::kDropOne, true, {}, kOld, kOld},
    {Flow::kCurrent, Fault::kDropThree, false, {kComm}, kOld, kOld},
    {Flow::kCurrent, Fault::kChecksumOne, true, {}, kOld, kOld},
    {Flow::kCurrent, Fault::kChecksumThree, false, {kComm}, kOld, kOld},
    {Flow::kCurrent, Fault::kLate, true, {}, kOld, kOld},
    {Flow::kCurrent, Fault::kNoise, true, {}, kOld, kOld},
    {Flow::kCurrent, Fault::kEchoOnce, false, {kComm}, kOld, kOld},
    {Flow::kCurrent, Fault::kShortIdentity, true, {}, kOld, kOld},
    {Flow::kCurrent, Fault::kZeroLoader, true, {}, kOld, kOld},
    {Flow::kCurrent, Fault::kHangUp, false, {kComm}, kOld, kOld},
    // Update of the firmware alone. Faults strike in the middle of the
    // programming; a failed run leaves no validity marker behind.
    {Flow::kUpdateFirmware, Fault::kDropOne, true, {}, kNew, kOld},
    {Flow::kUpdateFirmware, Fault::kDropThree, false, {kFirmwareFailed}, 0, kOld},
    {Flow::kUpdateFirmware, Fault::kChecksumOne, true, {}, kNew, kOld},
    {Flow::kUpdateFirmware, Fault::kChecksumThree, false, {kFirmwareFailed}, 0, kOld},
    {Flow::kUpdateFirmware, Fault::kLate, true, {}, kNew, kOld},
    {Flow::kUpdateFirmware, Fault::kNoise, true, {}, kNew, kOld},
    // The read back after a good programming: the device keeps the new
    // firmware, the run still fails without a box.
    {Flow::kUpdateFirmware, Fault::kEchoOnce, false, {}, kNew, kOld},
    {Flow::kUpdateFirmware, Fault::kShortIdentity, true, {}, kNew, kOld},
    {Flow::kUpdateFirmware, Fault::kZeroLoader, true, {}, kNew, kOld},
    {Flow::kUpdateFirmware, Fault::kFailErase, false, {kFirmwareFailed}, 0, kOld},
    {Flow::kUpdateFirmware, Fault::kFailProgram, false, {kFirmwareFailed}, 0, kOld},
    {Flow::kUpdateFirmware, Fault::kFailMarker, false, {kFirmwareFailed}, 0, kOld},
    {Flow::kUpdateFirmware, Fault::kHangUp, false, {kFirmwareFailed}, 0, kOld},
    {Flow::kUpdateFirmware, Fault::kLateLong, true, {}, kNew, kOld},
    {Flow::kUpdateFirmware, Fault::kLateLongMarker, false, {kFirmwareFailed}, 0, kOld},
    // Update of the logic alone. Faults strike while the rows are written;
    // logic mode is left after every failure the line survives.
    {Flow::kUpdateLogic, Fault::kDropOne, true, {}, kOld, kNew},
    {Flow::kUpdateLogic, Fault::kDropThree, false, {kComm}, kOld, 0},
    {Flow::kUpdateLogic, Fault::kChecksumOne, true, {}, kOld, kNew},
    {Flow::kUpdateLogic, Fault::kChecksumThree, false, {kComm}, kOld, 0},
    {Flow::kUpdateLogic, Fault::kLate, true, {}, kOld, kNew},
    {Flow::kUpdateLogic, Fault::kNoise, true, {}, kOld, kNew},
    {Flow::kUpdateLogic, Fault::kEchoOnce, false, {}, kOld, kNew},
    {Flow::kUpdateLogic, Fault::kWrongDevice, false, {"Logic: Unknown ispLSI device type!"}, kOld, kOld},
    {Flow::kUpdateLogic, Fault::kRowProgrammed, false, {"Logic: Fuse map programmed verification failed!"}, kOld, kKeep},
    {Flow::kUpdateLogic, Fault::kRowErased, false, {"Logic: Fuse map erased verification failed!"}, kOld, kKeep},
    {Flow::kUpdateLogic, Fault::kUesReadBack, false, {"Logic: UES verify failed!"}, kOld, kKeep},
    // The row write fails, and leaving logic mode fails as well.
    {Flow::kUpdateLogic, Fault::kHangUp, false, {kComm, kComm}, kOld, 0},
    // Erase: the EPLD, then the six sectors even when the EPLD failed.
    {Flow::kErase, Fault::kDropOne, true, {}, 0, 0},
    {Flow::kErase, Fault::kDropThree, false, {kComm}, 0, kKeep},
    {Flow::kErase, Fault::kChecksumOne, true, {}, 0, 0},
    {Flow::kErase, Fault::kChecksumThree, false, {kComm}, 0, kKeep},
    {Flow::kErase, Fault::kLate, true, {}, 0, 0},
    {Flow::kErase, Fault::kNoise, true, {}, 0, 0},
    // The third sector fails: the firmware sectors after it are kept.
    {Flow::kErase, Fault::kFailErase, false, {}, kOld, 0},
    {Flow::kErase, Fault::kWrongDevice, false, {"Logic: Unknown ispLSI device type!"}, 0, kOld},
    {Flow::kErase, Fault::kHangUp, false, {kComm, kComm}, kOld, kOld},
    // Transmit: identify, erase the setup sectors, program, read back.
    {Flow::kTransmit, Fault::kDropOne, true, {}},
    {Flow::kTransmit, Fault::kDropThree, false, {kTransfer}},
    {Flow::kTransmit, Fault::kChecksumOne, true, {}},
    {Flow::kTransmit, Fault::kChecksumThree, false, {kTransfer}},
    {Flow::kTransmit, Fault::kLate, true, {}},
    {Flow::kTransmit, Fault::kNoise, true, {}},
    {Flow::kTransmit, Fault::kEchoOnce, false, {kTransfer}},
    {Flow::kTransmit, Fault::kShortIdentity, false, {kNoSerial}},
    {Flow::kTransmit, Fault::kZeroLoader, true, {}},
    {Flow::kTransmit, Fault::kFailErase, false, {kTransfer}},
    {Flow::kTransmit, Fault::kFailProgram, false, {kTransfer}},
    {Flow::kTransmit, Fault::kSetupReadBack, false, {kTransfer}},
    {Flow::kTransmit, Fault::kHangUp, false, {kTransfer}},
    // OK: the start command's result is ignored; the dialog always ends and
    // the port is always released. `passes` means the firmware runs.
    {Flow::kOk, Fault::kDropOne, true, {}},
    // Every try of the start command is lost on its way: the firmware does
    // not start, and the tool, which ignores the command's result, still ends.
    {Flow::kOk, Fault::kDropThree, false, {}},
    {Flow::kOk, Fault::kChecksumThree, true, {}},
    {Flow::kOk, Fault::kLate, true, {}},
    {Flow::kOk, Fault::kNoise, true, {}},
    {Flow::kOk, Fault::kHangUp, false, {}},
};
// clang-format on

// Which response of a workflow the response faults hit, counted from its
// first: the identification for Connect and Current, a program request in
// the middle of the firmware, a row write of the logic, the EPLD erase of
// Erase, the setup sector erase of Transmit.
std::uint32_t TargetResponse(Flow flow) {
  switch (flow) {
    case Flow::kUpdateFirmware:
      return 10;
    case Flow::kUpdateLogic:
      return 20;
    case Flow::kErase:
    case Flow::kTransmit:
      return 3;
    default:
      return 1;
  }
}

// Bytes the host may still send before the line dies.
std::uint64_t HangUpAfter(Flow flow) {
  switch (flow) {
    case Flow::kConnect:
      return 20;  // during the speed negotiation
    case Flow::kUpdateFirmware:
      return 2500;  // during the programming
    case Flow::kUpdateLogic:
      return 3000;  // during the row writes
    case Flow::kTransmit:
      return 30;  // after the identification
    default:
      return 3;  // during the first request
  }
}

UpdateFiles FilesFor(Flow flow) {
  switch (flow) {
    case Flow::kUpdateFirmware:
      return {sim::kSampleVersion, sim::kFactoryVersion};
    case Flow::kUpdateLogic:
      return {sim::kFactoryVersion, sim::kSampleVersion};
    default:
      return {};
  }
}

int ButtonOf(Flow flow) {
  switch (flow) {
    case Flow::kConnect:
      return IDC_CONNECT;
    case Flow::kCurrent:
      return IDC_CURRENT;
    case Flow::kUpdateFirmware:
    case Flow::kUpdateLogic:
      return IDC_UPDATE;
    case Flow::kErase:
      return IDC_ERASE;
    case Flow::kTransmit:
      return IDC_TRANSMIT;
    case Flow::kOk:
      return IDOK;
  }
  return 0;
}

std::string FinalStatus(Flow flow, bool passes) {
  switch (flow) {
    case Flow::kConnect:
      return passes ? "Connecting to ZETA Loader passed!" : "Connecting to ZETA loader failed!";
    case Flow::kCurrent:
      return passes ? "Reading current versions passed!" : "Reading current versions failed!";
    case Flow::kUpdateFirmware:
    case Flow::kUpdateLogic:
      return passes ? "Updating firmware and logic passed!" : "Updating firmware and logic failed!";
    case Flow::kErase:
      return passes ? "Erasing Flash and EPLD passed!" : "Erasing Flash and EPLD failed!";
    case Flow::kTransmit:
      return passes ? "Writing setup data passed" : "Writing setup data failed!";
    case Flow::kOk:
      return "Starting firmware please wait....";
  }
  return "";
}

// The most fake-clock time a run may take. A clean Erase waits for six
// sector erases and a clean Update for some hundred transactions; a failing
// transaction costs three timeouts (a sector erase's allows some ten
// seconds), and Connect may make ten attempts.
std::uint32_t TimeBoundMs(Flow flow) {
  switch (flow) {
    case Flow::kConnect:
      return 60000;
    case Flow::kCurrent:
    case Flow::kOk:
      return 5000;
    case Flow::kTransmit:
    case Flow::kErase:
      return 45000;
    case Flow::kUpdateFirmware:
    case Flow::kUpdateLogic:
      return 30000;
  }
  return 0;
}

void Inject(Fault fault, Flow flow, DialogRig& rig) {
  sim::DeviceFaults& f = rig.wire.faults();
  const std::uint32_t target = rig.wire.engine().ResponseCount() + TargetResponse(flow);
  switch (fault) {
    case Fault::kDropOne:
      f.dropResponses = {target};
      break;
    case Fault::kDropThree:
      f.dropResponses = {target, target + 1, target + 2};
      break;
    case Fault::kChecksumOne:
      f.corruptChecksumResponses = {target};
      break;
    case Fault::kChecksumThree:
      f.corruptChecksumResponses = {target, target + 1, target + 2};
      break;
    case Fault::kLate:
      f.lateResponses = {{target, 150}};
      break;
    case Fault::kNoise:
      f.noiseBeforeResponses = {target};
      break;
    case Fault::kEchoOnce:
      f.echoIdentifyCount = 1;
      break;
    case Fault::kEchoAlways:
      f.echoIdentifyCount = 1000;
      break;
    case Fault::kShortIdentity:
      f.identifyWrongLength = true;
      break;
    case Fault::kZeroLoader:
      f.identifyZeroLoader = true;
      break;
    case Fault::kFailErase:
      // The firmware sector after the marker's, the third managed sector,
      // the setup sector.
      f.failEraseSectors = {flow == Flow::kUpdateFirmware ? 0x1080000u
                            : flow == Flow::kErase        ? 0x1010000u
                                                          : 0x1008000u};
      break;
    case Fault::kFailProgram:
      f.failProgram = true;
      break;
    case Fault::kFailMarker:
      f.failProgramAddress = kFirmwareMarkerAddress;
      break;
    case Fault::kWrongDevice:
      rig.wire.device().config.logicDeviceType = 20;
      break;
    case Fault::kRowProgrammed:
      f.corruptRowProgrammed = 77;
      break;
    case Fault::kRowErased:
      f.corruptRowErased = 5;
      break;
    case Fault::kUesReadBack:
      f.corruptUes = true;
      break;
    case Fault::kSetupReadBack:
      f.corruptSetupBlock = true;
      break;
    case Fault::kOtherSpeed:
      f.answerSpeed = 57600;
      break;
    case Fault::kDeviceRefuses:
      f.refuseSpeedAbove = 38400;
      break;
    case Fault::kPortRefuses:
      rig.wire.portFaults.refuseSpeedAbove = 57600;
      break;
    case Fault::kHangUp:
      f.hangUpAfterBytes = rig.wire.Written().size() + HangUpAfter(flow);
      break;
    case Fault::kLateLong:
      f.lateResponses = {{target, 2500}};
      break;
    case Fault::kLateLongMarker:
      f.lateResponses = {{target, 2500}};
      f.failProgramAddress = kFirmwareMarkerAddress;
      break;
  }
}

class FaultMatrix : public ::testing::TestWithParam<Cell> {};

TEST_P(FaultMatrix, WorkflowEndsAsExpected) {
  const Cell& c = GetParam();
  DialogRig rig({}, FilesFor(c.flow));
  if (c.flow == Flow::kConnect) {
    rig.Start();
  } else {
    rig.StartConnected();
  }
  Inject(c.fault, c.flow, rig);
  if (c.flow == Flow::kErase)
    rig.host.answers = {kIdYes};
  const SetupBlock wanted = BuildSetupBlock("12345678", "192.168.1.10", "255.255.255.0",
                                            "192.168.1.1", "255.255.255.255", "");

  const std::uint32_t start = rig.clock.Now();
  ASSERT_TRUE(rig.host.Click(ButtonOf(c.flow)));
  const std::uint32_t elapsed = rig.clock.Now() - start;

  // What the user is told.
  EXPECT_EQ(rig.host.LastStatus(), FinalStatus(c.flow, c.passes))
      << ::testing::PrintToString(rig.host.statusTexts);
  Texts boxes = c.boxes;
  if (c.flow == Flow::kErase)
    boxes.insert(boxes.begin(), "Erase Flash and EPLD?");
  EXPECT_EQ(rig.host.BoxTexts(), boxes);
  rig.ExpectWaitBalanced();
  EXPECT_LE(elapsed, TimeBoundMs(c.flow)) << "fake-clock milliseconds";

  // The port: Connect keeps it only when it passed, OK always releases it,
  // the others leave the connection as they found it.
  const bool heldAfter = c.flow == Flow::kConnect ? c.passes : c.flow != Flow::kOk;
  EXPECT_EQ(rig.dialog.Link().open, heldAfter);
  EXPECT_EQ(rig.wire.IsOpen(), heldAfter);
  if (c.flow == Flow::kOk) {
    EXPECT_EQ(rig.host.endCode, kIdOk);
  }
  if (c.flow == Flow::kConnect) {
    EXPECT_EQ(rig.host.Enabled(IDC_CONNECT), !c.passes);
  }

  // The device.
  const sim::Device& device = rig.wire.device();
  if (c.deviceFirmware != kKeep) {
    EXPECT_EQ(sim::FirmwareVersionOf(device.flash), c.deviceFirmware);
  }
  if (c.deviceLogic != kKeep) {
    EXPECT_EQ(sim::LogicVersionOf(device.epld), c.deviceLogic);
  }
  if (!rig.wire.Dead()) {
    EXPECT_FALSE(device.logicMode);
  }
  if (c.flow == Flow::kTransmit && c.passes) {
    SetupBlock block{};
    rig.wire.device().flash.Read(kSetupBlockAddress, block.data(), block.size());
    EXPECT_EQ(block, wanted);
  }
  if (c.flow == Flow::kOk) {
    EXPECT_EQ(rig.wire.engine().FirmwareRunning(), c.passes);
  }

  // A failed update leaves both versions unknown; a passed one shows the
  // device's answer.
  if (c.flow == Flow::kUpdateFirmware || c.flow == Flow::kUpdateLogic) {
    if (!c.passes) {
      EXPECT_EQ(rig.host.Text(IDC_FW_CURRENT), "unknown");
      EXPECT_EQ(rig.host.Text(IDC_LOGIC_CURRENT), "unknown");
    }
    EXPECT_TRUE(rig.host.Enabled(IDC_UPDATE) || c.passes);
  }
}

std::string CellName(const ::testing::TestParamInfo<Cell>& info) {
  return std::string(FlowName(info.param.flow)) + "_" + FaultName(info.param.fault);
}

INSTANTIATE_TEST_SUITE_P(WorkflowsByFaults, FaultMatrix, ::testing::ValuesIn(kCells), CellName);

}  // namespace
}  // namespace zl::test

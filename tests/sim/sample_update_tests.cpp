#include <gtest/gtest.h>

#include <string>

#include "images/firmware_programming.h"
#include "images/image_files.h"
#include "link/loader_commands.h"
#include "link/loader_link.h"
#include "logic/fuse_map.h"
#include "logic/jedec_reader.h"
#include "logic/logic_device_steps.h"
#include "logic/logic_programming.h"
#include "logic/logic_verification.h"
#include "platform/program_dir.h"
#include "sim/sample_content.h"
#include "tests/support/fake_clock.h"
#include "tests/support/recording_ui.h"
#include "tests/support/virtual_wire.h"

namespace zl {
namespace {

// The generated update files, put into a fresh emulated device by the
// tool's own firmware and logic programming: afterwards the device reports
// the files' versions, which is what an Update relies on.
class SampleUpdate : public ::testing::Test {
 protected:
  explicit SampleUpdate(sim::DeviceConfig config = {}) : wire(clock, config) {
    wire.Attach(link.port);
    SetProgramDirectory(ZETALINK_SAMPLE_IMAGES_DIR);
  }
  ~SampleUpdate() override { SetProgramDirectory(""); }

  void Update(const std::string& jedecBase) {
    ASSERT_EQ(LinkOpen(link, "\\\\.\\COM1", 115200), kOk);
    EXPECT_EQ(FindNewestVersion("ZT7C32FW"), sim::kSampleVersion);
    EXPECT_EQ(FindNewestVersion("C32JED20"), sim::kSampleVersion);
    ProgressMemory progress;
    ASSERT_EQ(ProgramFirmware(link, sim::kSampleVersion, ui, progress), kOk);

    FuseMap fuses;
    ASSERT_TRUE(ReadJedecFile(ui, ImageFilePath(jedecBase, sim::kSampleVersion), fuses));
    const std::string ues = "B6001E0" + FormatVersion3(sim::kSampleVersion);
    ASSERT_TRUE(EnterLogicMode(ui, link));
    ASSERT_TRUE(CheckLogicDevice(ui, link));
    ASSERT_TRUE(EraseLogic(ui, link));
    ASSERT_TRUE(ProgramLogic(ui, link, fuses, ues));
    ASSERT_TRUE(VerifyLogic(ui, link, fuses, ues));
    ASSERT_TRUE(LeaveLogicMode(ui, link));
    EXPECT_TRUE(ui.boxes.empty());
  }

  test::FakeClock clock;
  test::VirtualWire wire;
  test::RecordingUi ui;
  LoaderLink link;
};

TEST_F(SampleUpdate, DeviceReportsTheNewVersionsAfterProgramming) {
  DeviceIdentity before;
  ASSERT_EQ(LinkOpen(link, "\\\\.\\COM1", 115200), kOk);
  ASSERT_EQ(LoaderIdentify(link, before), kOk);
  EXPECT_LT(before.firmwareVersion, sim::kSampleVersion);
  EXPECT_LT(before.logicVersion, sim::kSampleVersion);
  LinkClose(link);

  Update("C32JED20");
  DeviceIdentity after;
  ASSERT_EQ(LoaderIdentify(link, after), kOk);
  EXPECT_EQ(after.firmwareVersion, sim::kSampleVersion);
  EXPECT_EQ(after.logicVersion, sim::kSampleVersion);
  EXPECT_EQ(wire.device().epld.Row(133), sim::FuseRows(20, sim::kSampleVersion)[133]);
}

class SampleUpdateSecondVariant : public SampleUpdate {
 protected:
  static sim::DeviceConfig Config() {
    sim::DeviceConfig config;
    config.serialNumber = "123456789C";
    return config;
  }
  SampleUpdateSecondVariant() : SampleUpdate(Config()) {}
};

TEST_F(SampleUpdateSecondVariant, TheSecondFuseMapCarriesItsOwnRows) {
  Update("C32JED21");
  EXPECT_EQ(wire.device().epld.Row(0), sim::FuseRows(21, sim::kSampleVersion)[0]);
  EXPECT_NE(sim::FuseRows(20, sim::kSampleVersion)[0], sim::FuseRows(21, sim::kSampleVersion)[0]);
}

}  // namespace
}  // namespace zl

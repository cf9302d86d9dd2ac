#include "images/setup_block.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "device_fixture.h"
#include "platform/errors.h"

namespace zl {
namespace {

using Bytes = std::vector<std::uint8_t>;

class WriteSetupBlockTest : public test::DeviceFixture {
 protected:
  ResultCode Write() {
    return WriteSetupBlock(link, "10.0.0.5", "255.255.255.256", "10.0.0.1", "255.255.255.255", "");
  }
  Bytes Expected() {
    const SetupBlock block = BuildSetupBlock(wire.device().config.serialNumber, "10.0.0.5",
                                             "255.255.255.256", "10.0.0.1", "255.255.255.255", "");
    return {block.begin(), block.end()};
  }
};

TEST_F(WriteSetupBlockTest, WritesAndVerifiesTheBlock) {
  wire.device().flash.Program(0x10C0000, Bytes{0, 0}.data(), 2);
  ASSERT_EQ(Write(), kOk);
  const Bytes written = Flash(kSetupBlockAddress, kSetupBlockSize);
  EXPECT_EQ(written, Expected());
  EXPECT_EQ(Bytes(written.begin(), written.begin() + 8),
            (Bytes{0x02, 0xF1, 0xA9, 0x12, 0x34, 0x56, 0xFF, 0xFF}));  // serial "12345678"
  EXPECT_EQ(Flash(0x10C0000, 2), Bytes(2, 0xFF));
  EXPECT_EQ(Commands('g'), 2u);
}

TEST_F(WriteSetupBlockTest, ReadBackDifferingInOneByte) {
  wire.faults().corruptSetupBlock = true;
  EXPECT_EQ(Write(), kErrSetupVerify);
  EXPECT_EQ(Flash(kSetupBlockAddress, kSetupBlockSize), Expected());  // programmed all the same
}

TEST_F(WriteSetupBlockTest, IdentityFailureErasesNothing) {
  const Bytes before = WholeFlash();
  wire.faults().echoIdentifyCount = 1;
  EXPECT_EQ(Write(), kErrIdentifyEcho);
  EXPECT_EQ(Commands('g'), 0u);
  EXPECT_TRUE(WholeFlash() == before);
}

TEST_F(WriteSetupBlockTest, SerialNumberTooShortThrowsBeforeErasing) {
  // An identity answer of unexpected length delivers no serial number.
  const Bytes before = WholeFlash();
  wire.faults().identifyWrongLength = true;
  EXPECT_THROW(Write(), InvalidArgumentError);
  EXPECT_EQ(Commands('g'), 0u);
  EXPECT_TRUE(WholeFlash() == before);
}

struct LoaderFailureCase {
  const char* name;
  std::uint32_t failingErase;  // 0: none
  bool failProgram;
  ResultCode result;
  std::uint32_t erases;
};

void PrintTo(const LoaderFailureCase& c, std::ostream* os) {
  *os << c.name;
}

const LoaderFailureCase kLoaderFailures[] = {
    {"FirstErase", 0x1008000, false, kErrEraseFailed, 1},
    {"SecondErase", 0x10C0000, false, kErrEraseFailed, 2},
    {"Programming", 0, true, kErrProgramFailed, 2},
};

class SetupLoaderFailureTest : public WriteSetupBlockTest,
                               public ::testing::WithParamInterface<LoaderFailureCase> {};

TEST_P(SetupLoaderFailureTest, ReturnsTheLoaderCode) {
  if (GetParam().failingErase != 0) {
    wire.faults().failEraseSectors = {GetParam().failingErase};
  }
  wire.faults().failProgram = GetParam().failProgram;
  EXPECT_EQ(Write(), GetParam().result);
  EXPECT_EQ(Commands('g'), GetParam().erases);
  EXPECT_EQ(Commands('e'), 0u);  // nothing read back
}

INSTANTIATE_TEST_SUITE_P(Cases, SetupLoaderFailureTest, ::testing::ValuesIn(kLoaderFailures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zl

// An answer that comes after the link gave up waiting for it must not be
// taken for the answer to a later request: each read below must return the
// bytes of its own address, however late the first answer was.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "link/loader_commands.h"
#include "link/loader_link.h"
#include "link/result_code.h"
#include "tests/support/fake_clock.h"
#include "tests/support/virtual_wire.h"

namespace zl::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kFirst = 0x1040000;  // the firmware area
constexpr std::uint32_t kSecond = 0x1040100;

TEST(LateAnswers, ALateAnswerIsNeverTakenForTheNextRequests) {
  // Delays of the first read's answer: within the timeout, past one try,
  // past all three tries.
  for (const std::uint32_t delayMs : {100u, 400u, 900u, 2500u}) {
    SCOPED_TRACE(delayMs);
    FakeClock clock;
    VirtualWire wire(clock);
    LoaderLink link;
    wire.Attach(link.port);
    ASSERT_EQ(LinkOpen(link, "\\\\.\\COM1", 115200), kOk);
    const std::uint8_t first[4] = {1, 2, 3, 4};
    const std::uint8_t second[4] = {5, 6, 7, 8};
    wire.device().flash.EraseSector(kFirst);
    wire.device().flash.Program(kFirst, first, 4);
    wire.device().flash.Program(kSecond, second, 4);
    DeviceIdentity identity;
    ASSERT_EQ(LoaderIdentify(link, identity), kOk);

    wire.faults().lateResponses = {{wire.engine().ResponseCount() + 1, delayMs}};
    Bytes got(4);
    const ResultCode firstResult = LoaderReadMemory(link, kFirst, 4, got.data());
    if (firstResult == kOk) {
      EXPECT_EQ(got, Bytes(first, first + 4));
    }
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(LoaderReadMemory(link, kSecond, 4, got.data()), kOk);
      EXPECT_EQ(got, Bytes(second, second + 4)) << "read " << i;
    }
    LinkClose(link);
  }
}

}  // namespace
}  // namespace zl::test

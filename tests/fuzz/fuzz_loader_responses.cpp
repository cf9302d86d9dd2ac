// Fuzzes the decoding of loader answers: the input picks a command and
// supplies the body of its response frame (and of a second one, for the
// two-step identification).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/byte_order.h"
#include "link/frame_codec.h"
#include "link/loader_commands.h"
#include "link/loader_link.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_channel.h"

namespace {

// Answers every request with the next scripted body, with a header that
// matches its length, as a device that speaks the framing correctly would.
std::vector<std::uint8_t> ResponseFrame(const std::vector<std::uint8_t>& body) {
  std::vector<std::uint8_t> payload(2 + body.size());
  payload[0] = static_cast<std::uint8_t>(0x10 | ((body.size() >> 8) & 0x07));
  payload[1] = static_cast<std::uint8_t>(body.size());
  std::copy(body.begin(), body.end(), payload.begin() + 2);
  return zl::FrameEncode(payload.data(), payload.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2)
    return 0;
  const std::uint8_t command = data[0] % 12;
  const std::size_t split = std::min<std::size_t>(data[1], size - 2);
  std::vector<std::vector<std::uint8_t>> bodies = {
      std::vector<std::uint8_t>(data + 2, data + 2 + split),
      std::vector<std::uint8_t>(data + 2 + split, data + size)};

  zl::test::FakeClock clock;
  zl::test::ScriptedChannel channel(clock);
  std::size_t next = 0;
  channel.responder = [&](zl::test::ScriptedChannel& ch, const std::vector<std::uint8_t>&) {
    if (next < bodies.size())
      ch.QueueBytes(ResponseFrame(bodies[next++]));
  };
  auto link = std::make_unique<zl::LoaderLink>();
  link->port.channel = &channel;
  link->port.clock = &clock;
  channel.Open("fuzz");
  link->open = true;

  std::string a(240, '0');
  std::string b(240, '1');
  std::uint8_t memory[1491];
  std::uint32_t value = 0;
  std::uint8_t type = 0;
  zl::DeviceIdentity identity;
  zl::ResultCode r = 0;
  switch (command) {
    case 0:
      r = zl::LoaderIdentify(*link, identity);
      if (r == 0 && identity.firmwareVersion > 255)
        __builtin_trap();
      if (r == 0 && identity.logicVersion > 999)
        __builtin_trap();
      break;
    case 1:
      r = zl::LoaderReadMemory(*link, 0x1008000, 104, memory);
      break;
    case 2:
      r = zl::LoaderEraseSector(*link, 0x1040000);
      break;
    case 3:
      r = zl::LoaderProgramMemory(*link, 0x1040000, 8, memory, value);
      break;
    case 4:
      r = zl::LoaderLogicMode(*link, true);
      break;
    case 5:
      r = zl::LoaderLogicReadId(*link, type);
      break;
    case 6:
      r = zl::LoaderLogicReadRow(*link, 16, a, b);
      if (r == 0 && (a.size() != 240 || b.size() != 240))
        __builtin_trap();
      break;
    case 7:
      r = zl::LoaderLogicWriteRow(*link, 16, a);
      break;
    case 8:
      r = zl::LoaderLogicReadUes(*link, a);
      if (r == 0 && a.size() != 120)
        __builtin_trap();
      break;
    case 9:
      r = zl::LoaderLogicWriteUes(*link, std::string(120, '1'));
      break;
    case 10:
      r = zl::LoaderLogicErase(*link);
      break;
    default:
      r = zl::LoaderEraseAllSectors(*link);
      break;
  }
  if (r > 0)
    __builtin_trap();  // commands report 0 or a negative code
  return 0;
}

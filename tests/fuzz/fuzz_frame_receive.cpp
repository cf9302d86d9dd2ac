// Fuzzes the frame receiver over an arbitrary byte stream from the scripted
// port. A 0xFF byte in the input stands for a silent read, 0xFE for a read
// that fails at once, so timeouts and line errors are explored too.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/frame_codec.h"
#include "link/result_code.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_channel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  zl::test::FakeClock clock;
  zl::test::ScriptedChannel channel(clock);
  channel.failClearError = (data[0] & 0x80) != 0;  // an unplugged adapter
  const std::size_t capacity = 1 + (data[0] & 0x3F) * 24;
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == 0xFF)
      channel.QueueSilence();
    else if (data[i] == 0xFE)
      channel.QueueReadError();
    else
      channel.QueueBytes({data[i]});
  }
  zl::SerialPort port;
  port.channel = &channel;
  port.clock = &clock;
  std::vector<std::uint8_t> buffer(capacity);
  // Repeated receives drain the stream; each must end, and with a silent
  // line after the script every call ends with a result.
  for (int frames = 0; frames < 64; ++frames) {
    const zl::ResultCode r = zl::FrameReceive(port, capacity, buffer.data(), 200);
    if (r > static_cast<zl::ResultCode>(capacity))
      __builtin_trap();
    if (r == zl::kErrTimeout && channel.input.empty())
      break;
    if (r == zl::kErrPortState && channel.failClearError)
      break;
  }
  return 0;
}

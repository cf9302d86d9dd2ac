// Fuzzes the emulated loader's request handling: arbitrary bytes arrive at
// the loader's own speed, framed or not.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/frame_codec.h"
#include "sim/device.h"
#include "sim/loader_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  // Making a device builds its firmware and fuse rows and allocates its
  // flash; one engine is reset to the fresh device for every input instead
  // (assignment reuses the flash buffer).
  static const zl::sim::Device fresh = zl::sim::MakeFreshDevice(zl::sim::DeviceConfig{});
  static zl::sim::LoaderEngine engine(fresh);
  engine.device() = fresh;
  engine.faults() = {};
  engine.Replug();
  std::vector<zl::sim::Emission> out;
  if (data[0] & 1) {
    // Interpret the rest as one command payload and frame it, so that the
    // command handlers see arbitrary bodies, not only the frame hunt.
    std::vector<std::uint8_t> payload(data + 1, data + size);
    const auto frame = zl::FrameEncode(payload.data(), payload.size());
    for (const std::uint8_t byte : frame)
      engine.Receive(byte, engine.Speed(), out);
  } else {
    for (std::size_t i = 1; i < size; ++i)
      engine.Receive(data[i], engine.Speed(), out);
  }
  for (const auto& emission : out)
    if (emission.bytes.size() > 2 * 1500 + 6)
      __builtin_trap();  // never beyond a frame's size
  return 0;
}

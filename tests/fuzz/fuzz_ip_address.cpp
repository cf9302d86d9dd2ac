// Fuzzes the dotted address parser; a valid text must round-trip.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "images/ip_address.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::uint32_t value = zl::ParseIpAddress(text);
  if (value != 0xFFFFFFFFu) {
    // Whatever was accepted denotes the same address as its canonical form.
    char canonical[16];
    std::snprintf(canonical, sizeof canonical, "%u.%u.%u.%u", value >> 24, (value >> 16) & 0xFF,
                  (value >> 8) & 0xFF, value & 0xFF);
    if (zl::ParseIpAddress(canonical) != value)
      __builtin_trap();
  }
  return 0;
}

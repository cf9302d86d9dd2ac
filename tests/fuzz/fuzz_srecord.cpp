// Fuzzes the S-record line decoder with arbitrary lines.
#include <cstddef>
#include <cstdint>
#include <string>

#include "images/srecord.h"
#include "platform/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  std::uint32_t address = 0;
  zl::SRecordData bytes{};
  try {
    const int n = zl::ParseSRecord(line, address, bytes);
    if (n > static_cast<int>(bytes.size()) || n < -1)
      __builtin_trap();
  } catch (const zl::InvalidArgumentError&) {
    // A line too short for a field it must read: a defined outcome.
  }
  return 0;
}

// Fuzzes the JEDEC fuse-map reader over in-memory text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "logic/fuse_map.h"
#include "logic/jedec_reader.h"
#include "platform/text_file.h"
#include "tests/support/recording_ui.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zl::StringLineReader reader(std::string(reinterpret_cast<const char*>(data), size));
  zl::test::RecordingUi ui;
  zl::FuseMap fuses;
  const bool ok = zl::ReadJedecFile(ui, reader, fuses);
  if (ui.waitDepth != 0)
    __builtin_trap();  // the wait cursor is always restored
  if (ok) {
    // A map that was accepted is complete: every row holds 240 fuses of '0'/'1'.
    for (const std::string& row : fuses) {
      if (row.size() != 240)
        __builtin_trap();
      for (const char c : row)
        if (c != '0' && c != '1')
          __builtin_trap();
    }
  } else if (ui.boxes.empty()) {
    __builtin_trap();  // a failure is always reported to the user
  }
  return 0;
}

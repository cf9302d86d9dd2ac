#pragma once

#include <cstdint>
#include <string>

#include "link/loader_link.h"
#include "link/result_code.h"
#include "platform/ui_services.h"

namespace zl {

inline constexpr std::uint32_t kFirmwareSectors[3] = {0x1040000, 0x1080000, 0x10C0000};
inline constexpr std::uint32_t kFirmwareMarkerAddress = 0x1040000;
inline constexpr std::uint8_t kFirmwareMarker[4] = {0xAA, 0x55, 0x55, 0xAA};

inline constexpr const char* kFirmwareProgressFormat = "Firmware: Programming Flash ... ( %u%% )";

// The last percentage written by ShowProgress. It lives as long as the
// program runs: its owner (the application) keeps one and hands the same
// object to every programming, so that a percentage equal to the last one
// shown, also by an earlier programming, is not written again. It starts
// at 0, so a first 0 percent is never shown.
struct ProgressMemory {
  std::uint16_t lastShown = 0;
};

// Writes `format` with "%u" replaced by (done * 100) / total (32-bit
// arithmetic, low 16 bits kept) and "%%" by '%' into the status line, unless
// that percentage equals the last one shown. Nothing is written for a total
// of 0.
void ShowProgress(const std::string& format, StatusLine& status, std::uint32_t total,
                  std::uint32_t done, ProgressMemory& memory);

// Programs the firmware image of `version` from the program directory into
// the device's flash over the open link.
//
// The whole image is read and checked before anything is erased: a file
// that cannot be opened gives -4003 with nothing written; a line that is not
// a valid record gives -4003 with the status "Firmware: Invalid image file
// (line N)!" and the flash untouched. A good image erases the three firmware
// sectors, programs every data record (padded with 0xFF to a multiple of 4
// bytes) with progress in the status line, and programs the validity marker
// last. Returns 0 or the code of the loader command that failed. A read
// error of the file throws FileError.
ResultCode ProgramFirmware(LoaderLink& link, std::uint16_t version, StatusLine& status,
                           ProgressMemory& progress);

}  // namespace zl

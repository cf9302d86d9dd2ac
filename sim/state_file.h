#pragma once

#include <string>

#include "sim/device.h"

namespace zl::sim {

// The device's memory between runs of zeta7-sim, as a text file: the
// identity (serial number, loader version, logic device type), the logic
// device's rows and signature, and every flash run that is not erased, as
// hexadecimal lines of up to 32 bytes:
//
//   zeta7-sim state 1
//   serial 12345678
//   loader 110
//   device-type 19
//   ues 0100...            (120 characters)
//   row 0 0110...          (one line per row, 240 characters)
//   flash 1040000 AA5555AA0064...
//
// Lines may come in any order; rows and flash lines not present are erased.

// Reads a state file into `device`. False with `error` set when the file
// cannot be read or a line is malformed; `device` is then unchanged.
bool LoadState(const std::string& path, Device& device, std::string& error);

// Writes the state through a temporary file that replaces the old one, so a
// crash never leaves half a file.
bool SaveState(const std::string& path, const Device& device, std::string& error);

// The text of a state file, and its reading back.
std::string StateText(const Device& device);
bool ParseState(const std::string& text, Device& device, std::string& error);

}  // namespace zl::sim

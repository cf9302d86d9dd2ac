#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zl {

// Exit statuses of zetalink-cli; scripts depend on them.
inline constexpr int kExitPassed = 0;        // every command passed
inline constexpr int kExitFailed = 1;        // a device workflow failed (or Erase not confirmed)
inline constexpr int kExitBadArguments = 2;  // bad arguments
inline constexpr int kExitNoConnection =
    3;  // port missing, busy, not permitted; no loader answered
inline constexpr int kExitInterrupted = 130;

struct CliOptions {
  std::string port = "COM1";
  bool portGiven = false;
  std::uint32_t speed = 115200;
  std::string imagesDirectory;  // empty: the executable's directory
  std::string ip;               // empty: not given
  std::string subnet = "255.255.255.0";
  std::string gateway = "255.255.255.255";
  bool yes = false;
  bool trace = false;
  bool json = false;
  bool listPorts = false;
  bool demo = false;
  std::vector<std::string> commands;  // in the order given; "info" when none
};

// Parses the command line. Returns an exit status when the program ends
// here (0 after --help, kExitBadArguments with the reason and a usage line on
// stderr), nothing when the options are complete.
std::optional<int> ParseCommandLine(int argc, const char* const* argv, CliOptions& options);

// The one-line usage, printed after every argument error.
inline constexpr const char* kUsageLine =
    "Usage: zetalink-cli [--port P] [--speed N] [--images DIR] [--ip A] [--subnet M] "
    "[--gateway G] [--yes] [--trace] [--json] [--list-ports] [--demo] "
    "[info|current|update|erase|transmit ...]";

}  // namespace zl

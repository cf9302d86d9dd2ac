#include "frontends/cli/cli_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>

namespace zl {

namespace {

void BadArguments(const std::string& reason) {
  std::fprintf(stderr, "zetalink-cli: %s\n%s\n", reason.c_str(), kUsageLine);
}

}  // namespace

std::optional<int> ParseCommandLine(int argc, const char* const* argv, CliOptions& options) {
  CLI::App app{
      "Services a Zeta7 through its boot loader: shows its identity, updates firmware and "
      "logic, erases, writes the network setup block. Connects first, runs the commands in "
      "the given order and starts the firmware at the end.",
      "zetalink-cli"};
  app.option_defaults()->always_capture_default();

  auto* port = app.add_option("--port", options.port, "COMn, \\\\.\\COMn or a device path");
  app.add_option("--speed", options.speed, "line speed")
      ->check(CLI::IsMember({9600, 19200, 38400, 57600, 115200}));
  app.add_option("--images", options.imagesDirectory,
                 "where the update files are (default: the executable's directory)")
      ->check(CLI::ExistingDirectory);
  app.add_option("--ip", options.ip, "the IP address Transmit writes");
  app.add_option("--subnet", options.subnet, "the subnet mask Transmit writes");
  app.add_option("--gateway", options.gateway, "the default gateway Transmit writes");
  app.add_flag("--yes", options.yes,
               "answer Yes to the Erase question (without it: ask on a terminal, else No)");
  app.add_flag("--trace", options.trace,
               "every frame sent (TX, line bytes) and received (RX, payload) in hex with a "
               "time stamp, on stderr");
  app.add_flag("--json", options.json, "a JSON summary as the last thing on stdout");
  app.add_flag("--list-ports", options.listPorts,
               "how COM1 to COM19 map to devices on this system, and which exist");
  auto* demo = app.add_flag("--demo", options.demo,
                            "run against zeta7-sim on a pseudo-terminal instead of a port");
  demo->excludes(port);
  app.add_option("command", options.commands, "info | current | update | erase | transmit")
      ->check(CLI::IsMember({"info", "current", "update", "erase", "transmit"}));

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);  // prints the help, returns 0
  } catch (const CLI::ParseError& error) {
    BadArguments(error.what());
    return kExitBadArguments;
  }

  options.portGiven = port->count() > 0;
  if (options.commands.empty())
    options.commands.push_back("info");
  const bool transmits = std::find(options.commands.begin(), options.commands.end(), "transmit") !=
                         options.commands.end();
  if (transmits && options.ip.empty()) {
    BadArguments("transmit needs the device's address: --ip A");
    return kExitBadArguments;
  }
  return std::nullopt;
}

}  // namespace zl

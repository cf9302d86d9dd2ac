// zeta7-sim: the emulated boot loader on a pseudo-terminal or a given tty.
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "sim/device.h"
#include "sim/line_server.h"
#include "sim/loader_engine.h"
#include "sim/serial_device.h"
#include "sim/sim_options.h"
#include "sim/state_file.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) {
  g_stop = 1;
}

void InstallSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: poll returns at once on a signal
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
  zl::sim::SimOptions options;
  std::string message;
  const int status = zl::sim::ParseSimOptions(argc, argv, options, message);
  if (status >= 0) {
    std::fprintf(status == 0 ? stdout : stderr, "%s\n", message.c_str());
    return status;
  }
  InstallSignals();

  zl::sim::Device device = zl::sim::MakeFreshDevice(options.config);
  if (!options.stateFile.empty() && std::filesystem::exists(options.stateFile)) {
    std::string error;
    if (!zl::sim::LoadState(options.stateFile, device, error)) {
      std::fprintf(stderr, "zeta7-sim: %s\n", error.c_str());
      return 1;
    }
    if (options.serialOverride) {
      device.config.serialNumber = *options.serialOverride;
    }
    if (options.loaderOverride) {
      device.config.loaderVersion = *options.loaderOverride;
    }
    if (options.deviceTypeOverride) {
      device.config.logicDeviceType = *options.deviceTypeOverride;
    }
  }

  zl::sim::LoaderEngine engine(std::move(device), options.faults);
  if (options.log) {
    engine.SetLog(
        [](const std::string& line) { std::fprintf(stderr, "zeta7-sim: %s\n", line.c_str()); });
  }

  std::string error;
  std::string path = options.tty;
  const bool pseudoTerminal = options.tty.empty();
  const int fd = pseudoTerminal ? zl::sim::OpenPseudoTerminal(path, error)
                                : zl::sim::OpenDeviceTty(options.tty, engine.Speed(), error);
  if (fd < 0) {
    std::fprintf(stderr, "zeta7-sim: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", path.c_str());
  std::fflush(stdout);

  bool saveFailed = false;
  const auto save = [&]() {
    if (options.stateFile.empty()) {
      engine.ClearDirty();
      return;
    }
    std::string why;
    if (zl::sim::SaveState(options.stateFile, engine.device(), why)) {
      engine.ClearDirty();
    } else if (!saveFailed) {
      std::fprintf(stderr, "zeta7-sim: %s\n", why.c_str());
      saveFailed = true;
    }
  };

  zl::sim::LineServer server(fd, pseudoTerminal, engine, options.pacing);
  server.Run(g_stop, save);
  save();
  return saveFailed ? 1 : 0;
}

#include "sim/sim_options.h"

#include <CLI/CLI.hpp>
#include <cstdlib>

namespace zl::sim {

namespace {

// Reads a number in decimal or, with 0x, in hexadecimal.
bool ToNumber(const std::string& text, unsigned long long max, unsigned long long& value) {
  if (text.empty() || text[0] == '-') {
    return false;
  }
  char* end = nullptr;
  value = std::strtoull(text.c_str(), &end, 0);
  return *end == '\0' && value <= max;
}

// A validator-and-converter for number options.
template <typename T>
std::function<std::string(const std::string&)> Into(T& target, unsigned long long max) {
  return [&target, max](const std::string& text) -> std::string {
    unsigned long long value = 0;
    if (!ToNumber(text, max, value)) {
      return "'" + text + "' is not a number up to " + std::to_string(max);
    }
    target = static_cast<T>(value);
    return {};
  };
}

std::string AddNumbers(std::set<std::uint32_t>& target, const std::vector<std::string>& texts) {
  for (const auto& text : texts) {
    unsigned long long value = 0;
    if (!ToNumber(text, 0xFFFFFFFFull, value)) {
      return "'" + text + "' is not a 32-bit number";
    }
    target.insert(static_cast<std::uint32_t>(value));
  }
  return {};
}

bool IsLinkSpeed(std::uint32_t speed) {
  return speed == 9600 || speed == 19200 || speed == 38400 || speed == 57600 || speed == 115200;
}

}  // namespace

int ParseSimOptions(int argc, const char* const* argv, SimOptions& options, std::string& message) {
  CLI::App app{
      "zeta7-sim: an emulated Zeta7 boot loader. Creates a pseudo-terminal, prints its path as "
      "the first line and serves it until SIGINT or SIGTERM."};
  app.option_defaults()->always_capture_default(false);

  auto& config = options.config;
  auto& faults = options.faults;
  std::string serial, loader, deviceType, startSpeed;
  std::vector<std::string> drop, corrupt, noise, late, failErase;
  std::string echo, failAt, rowProgrammed, rowErased, answerSpeed, refuseAbove, hangUp;
  std::string eraseMs, programMs, logicEraseMs, logicRowMs;

  app.add_option("--tty", options.tty, "serve this existing tty instead of a pseudo-terminal")
      ->type_name("PATH");
  app.add_option("--state", options.stateFile,
                 "keep flash, logic device and identity in this file between runs")
      ->type_name("FILE");
  app.add_flag("--log", options.log, "print one line per frame handled on standard error");
  bool noPacing = false;
  app.add_flag("--no-pacing", noPacing, "send at once instead of at 10 bits per byte");

  auto* device = "Device";
  app.add_option("--serial", serial, "serial number, 8 or 10 characters (default 12345678)")
      ->type_name("TEXT")
      ->group(device);
  app.add_option("--loader-version", loader, "loader version (default 110)")
      ->type_name("N")
      ->group(device);
  app.add_option("--device-type", deviceType, "logic device type (default 19)")
      ->type_name("N")
      ->group(device);
  app.add_option("--speed", startSpeed, "the loader's speed after reset (default 9600)")
      ->type_name("BPS")
      ->group(device);
  app.add_option("--erase-time", eraseMs, "ms to erase one flash sector (default 400)")
      ->type_name("MS")
      ->group(device);
  app.add_option("--program-time", programMs, "ms per program request (default 2)")
      ->type_name("MS")
      ->group(device);
  app.add_option("--logic-erase-time", logicEraseMs, "ms to bulk-erase the logic (default 200)")
      ->type_name("MS")
      ->group(device);
  app.add_option("--logic-row-time", logicRowMs, "ms to write a fuse row or the UES (default 5)")
      ->type_name("MS")
      ->group(device);

  auto* fault = "Faults (responses count from 1 over the answers to commands)";
  app.add_option("--drop-response", drop, "never send response K")->type_name("K")->group(fault);
  app.add_option("--corrupt-checksum", corrupt, "send response K with a wrong checksum")
      ->type_name("K")
      ->group(fault);
  app.add_option("--late-response", late, "K:MS: send response K MS milliseconds late")
      ->type_name("K:MS")
      ->group(fault);
  app.add_option("--noise-before", noise, "send stray bytes before response K")
      ->type_name("K")
      ->group(fault);
  app.add_option("--echo-identify", echo, "echo the first N 'r' requests")
      ->type_name("N")
      ->group(fault);
  app.add_flag("--identify-wrong-length", faults.identifyWrongLength, "answer 'd' with 16 bytes")
      ->group(fault);
  app.add_flag("--identify-zero-loader", faults.identifyZeroLoader, "report loader version 0")
      ->group(fault);
  app.add_option("--fail-erase", failErase, "report a failed erase of sector ADDR")
      ->type_name("ADDR")
      ->group(fault);
  app.add_flag("--fail-program", faults.failProgram, "report every program request as failed")
      ->group(fault);
  app.add_option("--fail-program-at", failAt, "fail program requests that cover ADDR")
      ->type_name("ADDR")
      ->group(fault);
  app.add_option("--corrupt-row-programmed", rowProgrammed,
                 "return row R's programmed reading with a wrong fuse")
      ->type_name("R")
      ->group(fault);
  app.add_option("--corrupt-row-erased", rowErased,
                 "return row R's erased reading with a wrong fuse")
      ->type_name("R")
      ->group(fault);
  app.add_flag("--corrupt-ues", faults.corruptUes, "return the UES with its last bit wrong")
      ->group(fault);
  app.add_flag("--corrupt-setup-block", faults.corruptSetupBlock,
               "return the setup block with one byte wrong")
      ->group(fault);
  app.add_option("--answer-speed", answerSpeed, "answer every speed message with this speed")
      ->type_name("BPS")
      ->group(fault);
  app.add_option("--refuse-speed-above", refuseAbove,
                 "leave speed messages above this speed unanswered")
      ->type_name("BPS")
      ->group(fault);
  app.add_option("--hang-up-after", hangUp,
                 "drop the line after N received bytes, as an unplugged adapter")
      ->type_name("N")
      ->group(fault);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    message = app.help();
    return 0;
  } catch (const CLI::ParseError& e) {
    message = std::string(e.what()) + "\n" + "Run with --help for the options.";
    return 2;
  }
  options.pacing = !noPacing;

  std::string problem;
  const auto check = [&problem](const std::string& name, const std::string& text,
                                const std::function<std::string(const std::string&)>& into) {
    if (problem.empty() && !text.empty()) {
      const std::string why = into(text);
      if (!why.empty()) {
        problem = name + ": " + why;
      }
    }
  };

  if (!serial.empty()) {
    if (serial.size() != 8 && serial.size() != 10) {
      problem = "--serial: the serial number must have 8 or 10 characters";
    }
    config.serialNumber = serial;
    options.serialOverride = serial;
  }
  std::uint16_t loaderValue = config.loaderVersion;
  std::uint8_t typeValue = config.logicDeviceType;
  check("--loader-version", loader, Into(loaderValue, 0xFFFF));
  check("--device-type", deviceType, Into(typeValue, 0xFF));
  if (!loader.empty()) {
    config.loaderVersion = loaderValue;
    options.loaderOverride = loaderValue;
  }
  if (!deviceType.empty()) {
    config.logicDeviceType = typeValue;
    options.deviceTypeOverride = typeValue;
  }
  check("--speed", startSpeed, Into(config.startSpeed, 115200));
  if (problem.empty() && !IsLinkSpeed(config.startSpeed)) {
    problem = "--speed: one of 9600, 19200, 38400, 57600, 115200";
  }
  check("--erase-time", eraseMs, Into(config.sectorEraseMs, 600000));
  check("--program-time", programMs, Into(config.programMs, 600000));
  check("--logic-erase-time", logicEraseMs, Into(config.logicEraseMs, 600000));
  check("--logic-row-time", logicRowMs, Into(config.logicRowMs, 600000));

  if (problem.empty()) {
    for (auto [name, texts, target] :
         {std::tuple{"--drop-response", &drop, &faults.dropResponses},
          std::tuple{"--corrupt-checksum", &corrupt, &faults.corruptChecksumResponses},
          std::tuple{"--noise-before", &noise, &faults.noiseBeforeResponses},
          std::tuple{"--fail-erase", &failErase, &faults.failEraseSectors}}) {
      const std::string why = AddNumbers(*target, *texts);
      if (!why.empty() && problem.empty()) {
        problem = std::string(name) + ": " + why;
      }
    }
  }
  for (const auto& item : late) {
    const auto colon = item.find(':');
    unsigned long long k = 0, ms = 0;
    if (colon == std::string::npos || !ToNumber(item.substr(0, colon), 0xFFFFFFFFull, k) ||
        !ToNumber(item.substr(colon + 1), 600000, ms)) {
      if (problem.empty()) {
        problem = "--late-response: K:MS, for example 3:2000";
      }
      continue;
    }
    faults.lateResponses[static_cast<std::uint32_t>(k)] = static_cast<std::uint32_t>(ms);
  }
  check("--echo-identify", echo, Into(faults.echoIdentifyCount, 0xFFFFFFFF));
  std::uint32_t address = 0, value32 = 0;
  std::size_t row = 0;
  std::uint64_t bytes = 0;
  check("--fail-program-at", failAt, Into(address, 0xFFFFFFFF));
  if (!failAt.empty()) {
    faults.failProgramAddress = address;
  }
  check("--corrupt-row-programmed", rowProgrammed, Into(row, EpldModel::kRows - 1));
  if (!rowProgrammed.empty()) {
    faults.corruptRowProgrammed = row;
  }
  check("--corrupt-row-erased", rowErased, Into(row, EpldModel::kRows - 1));
  if (!rowErased.empty()) {
    faults.corruptRowErased = row;
  }
  check("--answer-speed", answerSpeed, Into(value32, 0xFFFFFFFF));
  if (!answerSpeed.empty()) {
    faults.answerSpeed = value32;
  }
  check("--refuse-speed-above", refuseAbove, Into(value32, 0xFFFFFFFF));
  if (!refuseAbove.empty()) {
    faults.refuseSpeedAbove = value32;
  }
  check("--hang-up-after", hangUp, Into(bytes, ~0ull));
  if (!hangUp.empty()) {
    faults.hangUpAfterBytes = bytes;
  }

  if (!problem.empty()) {
    message = problem;
    return 2;
  }
  return -1;
}

}  // namespace zl::sim

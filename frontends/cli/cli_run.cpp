#include "frontends/cli/cli_run.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "app/zetasetup_app.h"
#include "app/zetasetup_dlg.h"
#include "frontends/cli/console.h"
#include "frontends/cli/interruptible.h"
#include "frontends/cli/json_writer.h"
#include "frontends/cli/memory_settings.h"
#include "frontends/cli/status_printer.h"
#include "frontends/cli/terminal_host.h"
#include "frontends/cli/traffic_monitor.h"
#include "link/loader_link.h"
#include "platform/demo_device.h"
#include "platform/port_names.h"
#include "platform/program_dir.h"
#include "platform/system_serial.h"

namespace zl {

namespace {

constexpr int kPortCount = 19;

// How one command ended.
enum class Outcome {
  kPassed,
  kUpToDate,  // Update with nothing to do (its button is disabled)
  kFailed,
  kNotConfirmed,  // Erase answered No
  kRefused,       // the dialog refused the fields before anything was sent
  kInterrupted,
  kSkipped,  // not run after an earlier command failed
};

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kPassed:
      return "passed";
    case Outcome::kUpToDate:
      return "up to date";
    case Outcome::kFailed:
      return "failed";
    case Outcome::kNotConfirmed:
      return "not confirmed";
    case Outcome::kRefused:
      return "refused";
    case Outcome::kInterrupted:
      return "interrupted";
    case Outcome::kSkipped:
      return "skipped";
  }
  return "failed";
}

bool Passed(Outcome outcome) {
  return outcome == Outcome::kPassed || outcome == Outcome::kUpToDate;
}

struct CommandReport {
  std::string name;
  Outcome outcome = Outcome::kSkipped;
  std::string status;                 // the last status text it wrote
  std::vector<std::string> messages;  // its boxes, "CAPTION: TEXT"
  std::uint32_t elapsedMs = 0;
  bool programmed = false;  // an Update that ran: the counts below apply
  std::uint64_t flashBytes = 0;
  std::uint64_t logicRows = 0;
};

// EPLD rows are counted as the bytes their 240 fuses make.
constexpr std::uint64_t kBytesPerLogicRow = 240 / 8;

std::uint64_t BytesProgrammed(const CommandReport& report) {
  return report.flashBytes + report.logicRows * kBytesPerLogicRow;
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
    path.pop_back();
  return path;
}

int SpeedIndex(std::uint32_t speed) {
  const auto it = std::find(kLinkSpeedTable.begin(), kLinkSpeedTable.end(), speed);
  return it == kLinkSpeedTable.end() ? 0 : static_cast<int>(it - kLinkSpeedTable.begin());
}

std::string OpenFailureText(OpenFailure failure) {
  switch (failure) {
    case OpenFailure::kMissing:
      return "no such device";
    case OpenFailure::kBusy:
      return "the port is busy (another program holds it)";
    case OpenFailure::kPermission:
      return "permission denied (on Linux, add your user to the dialout group: "
             "sudo usermod -aG dialout $USER, then log in again)";
    case OpenFailure::kNotSerial:
      return "not a serial port";
    case OpenFailure::kNone:
    case OpenFailure::kOther:
      break;
  }
  return "the port cannot be opened or configured";
}

// The session: everything between the dialog's initialisation and its end.
class Session {
 public:
  Session(const CliOptions& options, std::string portLabel, InterruptibleChannel& channel,
          Clock& clock, TrafficMonitor& monitor)
      : options_(options),
        portLabel_(std::move(portLabel)),
        channel_(channel),
        clock_(clock),
        monitor_(monitor) {}

  void Run(Dialog& dialog, TerminalHost& host);

  int ExitStatus() const { return exitStatus_; }
  void WriteJson(JsonWriter& json) const;
  bool Connected() const { return connected_; }

 private:
  CommandReport Click(CZetasetupDlg& dialog, TerminalHost& host, int controlId,
                      const std::string& name);
  void ReportConnectFailure(const CommandReport& report);
  void PrintIdentity(TerminalHost& host) const;
  void PrintVersions(TerminalHost& host) const;
  void PrintUpdateSummary(TerminalHost& host, const CommandReport& report) const;
  void CaptureIdentity(const TerminalHost& host);

  const CliOptions& options_;
  std::string portLabel_;
  InterruptibleChannel& channel_;
  Clock& clock_;
  TrafficMonitor& monitor_;

  std::vector<CommandReport> reports_;
  bool connected_ = false;
  std::string error_;
  int exitStatus_ = kExitPassed;
  struct Shown {
    std::string serial, mac, loader, firmware, firmwareNewest, logic, logicNewest;
  } identity_;
};

CommandReport Session::Click(CZetasetupDlg& dialog, TerminalHost& host, int controlId,
                             const std::string& name) {
  CommandReport report;
  report.name = name;
  const std::size_t statusBefore = host.StatusTexts().size();
  const std::size_t boxesBefore = host.Boxes().size();
  const TrafficCounts countsBefore = monitor_.Counts();
  const std::uint32_t start = clock_.TickCount();

  DispatchCommand(dialog, controlId);
  host.Printer().EndLine();

  report.elapsedMs = clock_.TickCount() - start;
  report.flashBytes = monitor_.Counts().flashBytesProgrammed - countsBefore.flashBytesProgrammed;
  report.logicRows = monitor_.Counts().logicRowsWritten - countsBefore.logicRowsWritten;
  bool answeredNo = false;
  for (std::size_t i = boxesBefore; i < host.Boxes().size(); ++i) {
    const ShownBox& box = host.Boxes()[i];
    report.messages.push_back(box.caption + ": " + box.text);
    if (box.buttons == BoxButtons::kYesNo && box.answer != kIdYes)
      answeredNo = true;
  }
  const bool wroteStatus = host.StatusTexts().size() > statusBefore;
  if (wroteStatus)
    report.status = host.StatusTexts().back();

  // Every workflow ends with a status text that says passed or failed; one
  // that wrote none stopped before it talked to the device.
  if (Interrupted()) {
    report.outcome = Outcome::kInterrupted;
  } else if (!wroteStatus) {
    report.outcome = answeredNo                ? Outcome::kNotConfirmed
                     : report.messages.empty() ? Outcome::kFailed
                                               : Outcome::kRefused;
  } else {
    report.outcome =
        report.status.find("passed") != std::string::npos ? Outcome::kPassed : Outcome::kFailed;
  }
  return report;
}

void Session::ReportConnectFailure(const CommandReport& report) {
  if (report.outcome == Outcome::kRefused) {
    error_ = "the address given with --ip was refused";
    std::fprintf(stderr, "zetalink-cli: %s\n", error_.c_str());
    return;
  }
  if (report.outcome == Outcome::kInterrupted)
    return;
  if (!channel_.EverOpened()) {
    error_ = "cannot open " + portLabel_ + ": " + OpenFailureText(channel_.LastOpenFailure());
  } else if (std::find(report.messages.begin(), report.messages.end(),
                       std::string(kAppTitle) + ": There is no Zeta7 connected!") !=
             report.messages.end()) {
    error_ = "a loader answered on " + portLabel_ + " but reported no device identity";
  } else {
    error_ =
        "no loader answered on " + portLabel_ + " at " + std::to_string(options_.speed) + " bit/s";
  }
  std::fprintf(stderr, "zetalink-cli: %s\n", error_.c_str());
  std::fflush(stderr);
}

void Session::CaptureIdentity(const TerminalHost& host) {
  identity_.serial = host.ControlText(IDC_SERIAL);
  identity_.mac = host.ControlText(IDC_MAC);
  identity_.loader = host.ControlText(IDC_LOADER_VERSION);
  identity_.firmware = host.ControlText(IDC_FW_CURRENT);
  identity_.firmwareNewest = host.ControlText(IDC_FW_NEWEST);
  identity_.logic = host.ControlText(IDC_LOGIC_CURRENT);
  identity_.logicNewest = host.ControlText(IDC_LOGIC_NEWEST);
}

void Session::PrintVersions(TerminalHost& host) const {
  host.Printer().EndLine();
  std::printf("Firmware:       %s (newest file %s)\n", identity_.firmware.c_str(),
              identity_.firmwareNewest.c_str());
  std::printf("Logic:          %s (newest file %s)\n", identity_.logic.c_str(),
              identity_.logicNewest.c_str());
  std::fflush(stdout);
}

void Session::PrintIdentity(TerminalHost& host) const {
  host.Printer().EndLine();
  std::printf("Serial number:  %s\n", identity_.serial.c_str());
  std::printf("MAC address:    %s\n", identity_.mac.c_str());
  std::printf("Loader version: %s\n", identity_.loader.c_str());
  PrintVersions(host);
}

void Session::PrintUpdateSummary(TerminalHost& host, const CommandReport& report) const {
  host.Printer().EndLine();
  const double seconds = report.elapsedMs / 1000.0;
  const double rate = seconds > 0 ? BytesProgrammed(report) / seconds / 1024.0 : 0.0;
  std::printf("Programmed %llu bytes (%llu flash bytes, %llu EPLD rows) in %.2f s: %.2f KiB/s\n",
              static_cast<unsigned long long>(BytesProgrammed(report)),
              static_cast<unsigned long long>(report.flashBytes),
              static_cast<unsigned long long>(report.logicRows), seconds, rate);
  std::fflush(stdout);
}

void Session::Run(Dialog& base, TerminalHost& host) {
  auto* dialog = dynamic_cast<CZetasetupDlg*>(&base);
  if (dialog == nullptr)
    return;
  dialog->Link().port.trace = monitor_.Hook();

  CommandReport connect = Click(*dialog, host, IDC_CONNECT, "connect");
  CaptureIdentity(host);
  connected_ = connect.outcome == Outcome::kPassed;
  reports_.push_back(connect);
  if (!connected_) {
    ReportConnectFailure(connect);
    exitStatus_ = connect.outcome == Outcome::kRefused       ? kExitBadArguments
                  : connect.outcome == Outcome::kInterrupted ? InterruptExitStatus()
                                                             : kExitNoConnection;
    if (exitStatus_ == kExitBadArguments)
      std::fprintf(stderr, "%s\n", kUsageLine);
  } else {
    PrintIdentity(host);
  }

  bool identityShown = true;
  for (const std::string& command : options_.commands) {
    CommandReport report;
    report.name = command;
    if (exitStatus_ != kExitPassed) {
      reports_.push_back(report);  // skipped
      continue;
    }
    if (Interrupted()) {
      report.outcome = Outcome::kInterrupted;
    } else if (command == "info") {
      report.outcome = Outcome::kPassed;
      if (!identityShown)
        PrintIdentity(host);
    } else if (command == "current") {
      report = Click(*dialog, host, IDC_CURRENT, command);
      CaptureIdentity(host);
      if (Passed(report.outcome))
        PrintIdentity(host);
    } else if (command == "update") {
      if (!host.IsControlEnabled(IDC_UPDATE)) {
        // The dialog offers no Update when both versions equal the newest
        // files; for a script that is success, not an error.
        report.outcome = Outcome::kUpToDate;
        host.Printer().EndLine();
        std::printf("Firmware and logic are up to date: nothing to update.\n");
        std::fflush(stdout);
      } else {
        report = Click(*dialog, host, IDC_UPDATE, command);
        report.programmed = true;
        CaptureIdentity(host);
        PrintUpdateSummary(host, report);
        PrintVersions(host);
      }
    } else if (command == "erase") {
      report = Click(*dialog, host, IDC_ERASE, command);
      CaptureIdentity(host);
      if (report.outcome == Outcome::kNotConfirmed) {
        std::fprintf(stderr,
                     "zetalink-cli: Erase not confirmed: nothing was erased. Add --yes to "
                     "confirm.\n");
        std::fflush(stderr);
      }
    } else if (command == "transmit") {
      report = Click(*dialog, host, IDC_TRANSMIT, command);
    }
    identityShown = false;
    reports_.push_back(report);

    switch (report.outcome) {
      case Outcome::kPassed:
      case Outcome::kUpToDate:
      case Outcome::kSkipped:
        break;
      case Outcome::kRefused:
        std::fprintf(stderr, "%s\n", kUsageLine);
        exitStatus_ = kExitBadArguments;
        break;
      case Outcome::kInterrupted:
        exitStatus_ = InterruptExitStatus();
        break;
      case Outcome::kFailed:
      case Outcome::kNotConfirmed:
        exitStatus_ = kExitFailed;
        break;
    }
  }
  if (Interrupted())
    exitStatus_ = InterruptExitStatus();

  // As the dialog's Cancel: start the firmware, close the link.
  DispatchCommand(*dialog, kIdCancel);
  host.Printer().EndLine();
  if (Interrupted()) {
    exitStatus_ = InterruptExitStatus();
    std::fprintf(stderr, "zetalink-cli: interrupted; the port is closed.\n");
    std::fflush(stderr);
  }
}

void Session::WriteJson(JsonWriter& json) const {
  json.Key("connected").Bool(connected_);
  if (!error_.empty())
    json.Key("error").String(error_);
  json.Key("identity").BeginObject();
  json.Key("serial").String(identity_.serial);
  json.Key("mac").String(identity_.mac);
  json.Key("loader").String(identity_.loader);
  json.EndObject();
  json.Key("versions").BeginObject();
  json.Key("firmware").BeginObject();
  json.Key("current").String(identity_.firmware);
  json.Key("newest").String(identity_.firmwareNewest);
  json.EndObject();
  json.Key("logic").BeginObject();
  json.Key("current").String(identity_.logic);
  json.Key("newest").String(identity_.logicNewest);
  json.EndObject();
  json.EndObject();

  json.Key("commands").BeginArray();
  for (const auto& report : reports_) {
    json.BeginObject();
    json.Key("command").String(report.name);
    json.Key("outcome").String(OutcomeName(report.outcome));
    json.Key("passed").Bool(Passed(report.outcome));
    json.Key("status").String(report.status);
    json.Key("messages").BeginArray();
    for (const auto& message : report.messages)
      json.String(message);
    json.EndArray();
    json.Key("elapsed_ms").Number(report.elapsedMs);
    if (report.programmed) {
      json.Key("bytes_programmed").Number(static_cast<std::int64_t>(BytesProgrammed(report)));
      json.Key("flash_bytes").Number(static_cast<std::int64_t>(report.flashBytes));
      json.Key("logic_rows").Number(static_cast<std::int64_t>(report.logicRows));
    }
    json.EndObject();
  }
  json.EndArray();

  const TrafficCounts& counts = monitor_.Counts();
  json.Key("traffic").BeginObject();
  json.Key("frames_sent").Number(static_cast<std::int64_t>(counts.framesSent));
  json.Key("frames_received").Number(static_cast<std::int64_t>(counts.framesReceived));
  json.Key("bytes_sent").Number(static_cast<std::int64_t>(counts.bytesSent));
  json.Key("bytes_received").Number(static_cast<std::int64_t>(counts.bytesReceived));
  json.Key("transactions").Number(static_cast<std::int64_t>(counts.transactions));
  json.Key("retries").Number(static_cast<std::int64_t>(counts.retries));
  json.Key("by_command").BeginObject();
  for (const auto& [letter, count] : counts.commands) {
    json.Key(std::string(1, letter)).Number(static_cast<std::int64_t>(count));
  }
  json.EndObject();
  json.EndObject();
}

int ListPorts(const CliOptions& options) {
  const auto ports = ListComPorts();
  if (options.json) {
    JsonWriter json;
    json.BeginObject().Key("ports").BeginArray();
    for (const auto& port : ports) {
      json.BeginObject();
      json.Key("name").String(port.name);
      json.Key("path").String(port.path);
      json.Key("exists").Bool(port.exists);
      json.EndObject();
    }
    json.EndArray().EndObject();
    std::printf("%s\n", json.Text().c_str());
  } else {
    for (const auto& port : ports) {
      std::printf("%-6s %-24s %s\n", port.name.c_str(), port.path.c_str(),
                  port.exists ? "present" : "absent");
    }
  }
  std::fflush(stdout);
  return kExitPassed;
}

void PrintJsonEnd(const CliOptions& options, const std::string& portLabel, const Session* session,
                  int exitStatus, const std::string& error) {
  if (!options.json)
    return;
  JsonWriter json;
  json.BeginObject();
  json.Key("port").String(portLabel);
  json.Key("speed").Number(options.speed);
  json.Key("demo").Bool(options.demo);
  if (session != nullptr) {
    session->WriteJson(json);
  } else {
    json.Key("connected").Bool(false);
    json.Key("error").String(error);
  }
  json.Key("exit_status").Number(exitStatus);
  json.EndObject();
  std::printf("%s\n", json.Text().c_str());
  std::fflush(stdout);
}

}  // namespace

int RunCli(const CliOptions& options) {
  if (options.listPorts)
    return ListPorts(options);
  InstallInterruptHandlers();

  const std::string programDirectory = WithoutTrailingSeparator(ProgramDirectory());
  std::string imagesDirectory = options.imagesDirectory;

  // The dialog always opens "\\.\COMn"; a device path stands behind COM1
  // for this run.
  int portIndex = 0;
  DemoDevice demo;
  if (options.demo) {
    std::string error;
    if (!demo.Start(programDirectory, {}, error)) {
      std::fprintf(stderr, "zetalink-cli: %s\n", error.c_str());
      PrintJsonEnd(options, "COM1", nullptr, kExitNoConnection, error);
      return kExitNoConnection;
    }
    if (imagesDirectory.empty())
      imagesDirectory = DemoImagesDirectory(programDirectory);
  } else {
    const int number = ComPortNumber(options.port);
    if (number > kPortCount) {
      std::fprintf(stderr, "zetalink-cli: --port: only COM1 to COM19 can be chosen\n%s\n",
                   kUsageLine);
      return kExitBadArguments;
    }
    if (number > 0) {
      portIndex = number - 1;
    } else {
      SetProcessVariable(kDemoComVariable, options.port);
    }
  }
  if (!imagesDirectory.empty())
    SetProgramDirectory(imagesDirectory);

  const std::string comName = "COM" + std::to_string(portIndex + 1);
  const std::string devicePath = PortDevicePath(comName);
  const std::string portLabel = devicePath == comName ? comName : comName + " (" + devicePath + ")";

  auto systemChannel = CreateSystemSerialChannel();
  InterruptibleChannel channel(*systemChannel, Interrupted);
  InterruptibleClock clock(DefaultClock(), Interrupted);
  TrafficMonitor monitor(DefaultClock(), options.trace ? stderr : nullptr);
  StatusPrinter printer(stdout, IsTerminal(stdout));

  MemorySettings settings;
  settings.WriteInt(kSettingsSection, kSettingComPort, portIndex);
  settings.WriteInt(kSettingsSection, kSettingBaudrate, SpeedIndex(options.speed));
  if (!options.ip.empty())
    settings.WriteText(kSettingsSection, kSettingZetaIp, options.ip);
  settings.WriteText(kSettingsSection, kSettingSubnet, options.subnet);
  settings.WriteText(kSettingsSection, kSettingGateway, options.gateway);

  const QuestionPolicy policy = options.yes ? QuestionPolicy::kYes
                                : IsTerminal(stdin) && IsTerminal(stderr)
                                    ? QuestionPolicy::kAskTerminal
                                    : QuestionPolicy::kNo;
  Session session(options, portLabel, channel, clock, monitor);
  TerminalBackend backend(printer, stderr, policy,
                          [&](Dialog& dialog, TerminalHost& host) { session.Run(dialog, host); });

  DeviceEnvironment environment;
  environment.channel = &channel;
  environment.clock = &clock;
  CZetasetupApp app(settings, backend, environment);
  int exitStatus = kExitPassed;
  try {
    app.StartApplication();
    exitStatus = app.LastEndCode() < 0 ? kExitFailed : session.ExitStatus();
  } catch (const std::exception& error) {
    printer.EndLine();
    std::fprintf(stderr, "zetalink-cli: %s\n", error.what());
    exitStatus = kExitFailed;
  }
  demo.Stop();
  PrintJsonEnd(options, portLabel, &session, exitStatus, "");
  return exitStatus;
}

}  // namespace zl

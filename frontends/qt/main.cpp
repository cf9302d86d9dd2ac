// zetalink: the desktop tool. One dialog on Qt Widgets; --demo runs it
// against the emulated device on a pseudo-terminal.

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <string>

#include "app/zetasetup_app.h"
#include "frontends/qt/app_icon.h"
#include "frontends/qt/demo_settings.h"
#include "frontends/qt/qt_dialog_backend.h"
#include "frontends/qt/qt_settings.h"
#include "frontends/qt/quit_on_signal.h"
#include "platform/clock.h"
#include "platform/demo_device.h"
#include "platform/program_dir.h"
#include "platform/system_serial.h"
#include "platform/ui_services.h"

namespace {

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
    path.pop_back();
  return path;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setOrganizationName(zl::kSettingsOrganisation);
  QApplication::setApplicationName(zl::kAppTitle);
  QApplication::setApplicationVersion(QStringLiteral("1.02"));
  QApplication::setWindowIcon(zl::qt::AppIcon());

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Connects to a Zeta7's boot loader on a serial port, updates its firmware "
                     "and logic, erases it and writes its network setup."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption demoOption(
      QStringLiteral("demo"),
      QStringLiteral("Run against the emulated device (zeta7-sim beside this program) on COM1, "
                     "with the sample update files."));
  parser.addOption(demoOption);
  parser.process(application);

  zl::qt::InstallQuitOnSignal();

  zl::DemoDevice demo;
  if (parser.isSet(demoOption)) {
    const std::string programDirectory = WithoutTrailingSeparator(zl::ProgramDirectory());
    std::string error;
    if (!demo.Start(programDirectory, {}, error)) {
      std::fprintf(stderr, "zetalink: %s\n", error.c_str());
      QMessageBox::critical(nullptr, QString::fromUtf8(zl::kAppTitle),
                            QStringLiteral("The emulated device cannot be started:\n%1")
                                .arg(QString::fromStdString(error)));
      return 1;
    }
    zl::SetProgramDirectory(zl::DemoImagesDirectory(programDirectory));
    std::printf("zetalink: emulated Zeta7 on %s stands behind COM1 for this run\n",
                demo.DevicePath().c_str());
    std::fflush(stdout);
  }

  zl::qt::QtSettingsStore storedSettings;
  zl::qt::DemoSettingsStore demoSettings(storedSettings);
  zl::SettingsStore& settings =
      demo.Running() ? static_cast<zl::SettingsStore&>(demoSettings) : storedSettings;
  const auto channel = zl::CreateSystemSerialChannel(
      zl::qt::ReadPortOverrides(zl::kSettingsOrganisation, zl::kAppTitle));
  zl::qt::QtDialogBackend backend;

  zl::DeviceEnvironment environment;
  environment.channel = channel.get();
  environment.clock = &zl::DefaultClock();
  zl::CZetasetupApp zetasetup(settings, backend, environment);
  zetasetup.StartApplication();

  demo.Stop();
  if (zl::qt::QuitSignal() != 0)
    return 128 + zl::qt::QuitSignal();
  return zetasetup.LastEndCode() < 0 ? 1 : 0;
}

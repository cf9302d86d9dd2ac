#pragma once

#include "app/zetasetup_dlg.h"
#include "platform/dialog_framework.h"
#include "platform/settings.h"

#include <utility>

namespace zl {

// Where the settings live and what they are called.
inline constexpr const char* kSettingsOrganisation = "Korvell";
inline constexpr const char* kSettingsSection = "Zeta7 CPU32";
inline constexpr const char* kSettingComPort = "ComPort";
inline constexpr const char* kSettingBaudrate = "Baudrate";
inline constexpr const char* kSettingZetaIp = "ZetaIP";
inline constexpr const char* kSettingSubnet = "Subnet";
inline constexpr const char* kSettingGateway = "Gateway";

// The application object: loads the settings into the main dialog, runs it
// on the backend and stores the settings only when it ended with OK.
class CZetasetupApp {
 public:
  CZetasetupApp(SettingsStore& settings, DialogBackend& backend, DeviceEnvironment environment)
      : settings_(settings), backend_(backend), environment_(std::move(environment)) {}

  // Runs the program's one dialog; always returns false (the program ends).
  bool StartApplication();

  // The end code of the dialog's run (-1 when it could not be created).
  int LastEndCode() const { return lastEndCode_; }

 private:
  SettingsStore& settings_;
  DialogBackend& backend_;
  DeviceEnvironment environment_;
  int lastEndCode_ = -1;
};

}  // namespace zl

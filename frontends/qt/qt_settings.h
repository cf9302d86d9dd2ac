#pragma once

#include <QSettings>
#include <memory>
#include <string>

#include "platform/port_names.h"
#include "platform/settings.h"

namespace zl::qt {

// Per-user settings through QSettings: on Windows the registry under
// HKEY_CURRENT_USER\Software\<organisation>\<application>, on Linux the file
// ~/.config/<organisation>/<application>.conf. Sections are groups.
class QtSettingsStore final : public SettingsStore {
 public:
  void SetRegistryKey(const std::string& organisation, const std::string& application) override;

  int ReadInt(const std::string& section, const std::string& name, int defaultValue) override;
  std::string ReadText(const std::string& section, const std::string& name,
                       const std::string& defaultValue) override;
  bool WriteInt(const std::string& section, const std::string& name, int value) override;
  bool WriteText(const std::string& section, const std::string& name,
                 const std::string& value) override;

  // Where the values live (a file path or a registry path); empty before
  // SetRegistryKey.
  std::string Location() const;

 private:
  QVariant Read(const std::string& section, const std::string& name);
  bool Write(const std::string& section, const std::string& name, const QVariant& value);

  std::unique_ptr<QSettings> settings_;
};

// The section of the settings that names the device behind a COM number,
// with values "COM1" to "COM19" holding device paths.
inline constexpr const char* kPortsSection = "Ports";

// The COM-number overrides stored in the settings of organisation and
// application.
PortOverrides ReadPortOverrides(const std::string& organisation, const std::string& application);

}  // namespace zl::qt

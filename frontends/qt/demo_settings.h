#pragma once

#include <string>

#include "app/zetasetup_app.h"
#include "platform/settings.h"

namespace zl::qt {

// The settings of a demo run: the user's stored values, except that the
// port is COM1 (where the emulated device stands), and nothing is written
// back, so that a demo never changes the settings of real work.
class DemoSettingsStore final : public SettingsStore {
 public:
  explicit DemoSettingsStore(SettingsStore& stored) : stored_(stored) {}

  void SetRegistryKey(const std::string& organisation, const std::string& application) override {
    stored_.SetRegistryKey(organisation, application);
  }
  int ReadInt(const std::string& section, const std::string& name, int defaultValue) override {
    if (section == kSettingsSection && name == kSettingComPort)
      return 0;
    return stored_.ReadInt(section, name, defaultValue);
  }
  std::string ReadText(const std::string& section, const std::string& name,
                       const std::string& defaultValue) override {
    return stored_.ReadText(section, name, defaultValue);
  }
  bool WriteInt(const std::string&, const std::string&, int) override { return true; }
  bool WriteText(const std::string&, const std::string&, const std::string&) override {
    return true;
  }

 private:
  SettingsStore& stored_;
};

}  // namespace zl::qt

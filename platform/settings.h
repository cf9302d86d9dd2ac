#pragma once

#include <string>

namespace zl {

// Per-user settings: named integer and text values grouped in sections,
// kept under an organisation and an application name (on Windows the
// registry path software\<organisation>\<application>, elsewhere a settings
// file of the user).
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Names the place of the settings; call before any read or write.
  virtual void SetRegistryKey(const std::string& organisation, const std::string& application) = 0;

  // The stored value, or the default when it (or its section) is absent or
  // cannot be read as that type.
  virtual int ReadInt(const std::string& section, const std::string& name, int defaultValue) = 0;
  virtual std::string ReadText(const std::string& section, const std::string& name,
                               const std::string& defaultValue) = 0;

  // Store a value; false when it could not be written.
  virtual bool WriteInt(const std::string& section, const std::string& name, int value) = 0;
  virtual bool WriteText(const std::string& section, const std::string& name,
                         const std::string& value) = 0;
};

}  // namespace zl

#pragma once

#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/settings.h"

namespace zl::test {

// Per-user settings held in memory; records the place it was given and
// every write in order.
class FakeSettings : public SettingsStore {
 public:
  using Key = std::pair<std::string, std::string>;  // section, name
  using Value = std::variant<int, std::string>;

  void SetRegistryKey(const std::string& org, const std::string& app) override {
    organisation = org;
    application = app;
  }
  int ReadInt(const std::string& section, const std::string& name, int defaultValue) override {
    const auto found = values.find({section, name});
    if (found == values.end() || !std::holds_alternative<int>(found->second))
      return defaultValue;
    return std::get<int>(found->second);
  }
  std::string ReadText(const std::string& section, const std::string& name,
                       const std::string& defaultValue) override {
    const auto found = values.find({section, name});
    if (found == values.end() || !std::holds_alternative<std::string>(found->second)) {
      return defaultValue;
    }
    return std::get<std::string>(found->second);
  }
  bool WriteInt(const std::string& section, const std::string& name, int value) override {
    writes.push_back(name);
    if (failWrites)
      return false;
    values[{section, name}] = value;
    return true;
  }
  bool WriteText(const std::string& section, const std::string& name,
                 const std::string& value) override {
    writes.push_back(name);
    if (failWrites)
      return false;
    values[{section, name}] = value;
    return true;
  }

  std::map<Key, Value> values;
  std::vector<std::string> writes;  // value names in write order
  std::string organisation;
  std::string application;
  bool failWrites = false;
};

}  // namespace zl::test

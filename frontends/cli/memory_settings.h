#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/settings.h"

namespace zl {

// Settings held for one run only: the command line hands its options to the
// dialog through them and never touches the desktop tool's stored settings.
class MemorySettings final : public SettingsStore {
 public:
  void SetRegistryKey(const std::string& /*organisation*/,
                      const std::string& /*application*/) override {}

  int ReadInt(const std::string& section, const std::string& name, int defaultValue) override {
    const auto it = ints_.find({section, name});
    return it == ints_.end() ? defaultValue : it->second;
  }
  std::string ReadText(const std::string& section, const std::string& name,
                       const std::string& defaultValue) override {
    const auto it = texts_.find({section, name});
    return it == texts_.end() ? defaultValue : it->second;
  }
  bool WriteInt(const std::string& section, const std::string& name, int value) override {
    ints_[{section, name}] = value;
    return true;
  }
  bool WriteText(const std::string& section, const std::string& name,
                 const std::string& value) override {
    texts_[{section, name}] = value;
    return true;
  }

 private:
  using Key = std::pair<std::string, std::string>;
  std::map<Key, int> ints_;
  std::map<Key, std::string> texts_;
};

}  // namespace zl

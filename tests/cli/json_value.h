#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zl::test {

// A parsed JSON value, enough to read the command line's summary back.
struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;

  const JsonValue& operator[](const std::string& key) const;
  const JsonValue& operator[](std::size_t index) const;
};

// Parses a whole document; nothing when it is not valid JSON.
std::optional<JsonValue> ParseJson(const std::string& text);

}  // namespace zl::test

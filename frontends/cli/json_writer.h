#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zl {

// Writes one JSON value into a string: objects, arrays, texts, integers and
// booleans. Commas are placed by the writer; the caller only nests.
class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the next member of the open object.
  JsonWriter& Key(const std::string& name);
  JsonWriter& String(const std::string& value);
  JsonWriter& Number(std::int64_t value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  const std::string& Text() const { return text_; }

 private:
  void BeforeValue();

  std::string text_;
  std::vector<bool> first_;  // per open container: no member written yet
  bool afterKey_ = false;
};

// A JSON string literal for a text; bytes that are not valid UTF-8 become
// U+FFFD, so that a device's odd serial number never breaks the document.
std::string JsonQuote(const std::string& text);

}  // namespace zl

#include "tests/cli/json_value.h"

#include <cstdlib>

namespace zl::test {

namespace {

class Parser {
 public:
  explicit Parser(const std::string& text) : text_(text) {}

  bool Document(JsonValue& value) {
    if (!Value(value))
      return false;
    Space();
    return pos_ == text_.size();
  }

 private:
  void Space() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\t')) {
      ++pos_;
    }
  }

  bool Literal(const char* word) {
    const std::string w = word;
    if (text_.compare(pos_, w.size(), w) != 0)
      return false;
    pos_ += w.size();
    return true;
  }

  bool String(std::string& out) {
    if (pos_ >= text_.size() || text_[pos_] != '"')
      return false;
    ++pos_;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"')
        return true;
      if (static_cast<unsigned char>(c) < 0x20)
        return false;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (pos_ >= text_.size())
        return false;
      const char e = text_[pos_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out.push_back(e);
          break;
        case 'n':
          out.push_back('\n');
          break;
        case 'r':
          out.push_back('\r');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'b':
          out.push_back('\b');
          break;
        case 'f':
          out.push_back('\f');
          break;
        case 'u': {
          if (pos_ + 4 > text_.size())
            return false;
          const unsigned code = std::strtoul(text_.substr(pos_, 4).c_str(), nullptr, 16);
          pos_ += 4;
          // Enough for the tests: code points below U+0800.
          if (code < 0x80) {
            out.push_back(static_cast<char>(code));
          } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
          } else {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
          }
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  bool Value(JsonValue& value) {
    Space();
    if (pos_ >= text_.size())
      return false;
    const char c = text_[pos_];
    if (c == '{') {
      value.kind = JsonValue::Kind::kObject;
      ++pos_;
      Space();
      if (pos_ < text_.size() && text_[pos_] == '}') {
        ++pos_;
        return true;
      }
      for (;;) {
        Space();
        std::string key;
        if (!String(key))
          return false;
        Space();
        if (pos_ >= text_.size() || text_[pos_++] != ':')
          return false;
        if (!Value(value.members[key]))
          return false;
        Space();
        if (pos_ >= text_.size())
          return false;
        if (text_[pos_] == ',') {
          ++pos_;
          continue;
        }
        if (text_[pos_] == '}') {
          ++pos_;
          return true;
        }
        return false;
      }
    }
    if (c == '[') {
      value.kind = JsonValue::Kind::kArray;
      ++pos_;
      Space();
      if (pos_ < text_.size() && text_[pos_] == ']') {
        ++pos_;
        return true;
      }
      for (;;) {
        value.items.emplace_back();
        if (!Value(value.items.back()))
          return false;
        Space();
        if (pos_ >= text_.size())
          return false;
        if (text_[pos_] == ',') {
          ++pos_;
          continue;
        }
        if (text_[pos_] == ']') {
          ++pos_;
          return true;
        }
        return false;
      }
    }
    if (c == '"') {
      value.kind = JsonValue::Kind::kString;
      return String(value.text);
    }
    if (Literal("true")) {
      value.kind = JsonValue::Kind::kBool;
      value.boolean = true;
      return true;
    }
    if (Literal("false")) {
      value.kind = JsonValue::Kind::kBool;
      return true;
    }
    if (Literal("null"))
      return true;
    const char* begin = text_.c_str() + pos_;
    char* end = nullptr;
    value.number = std::strtod(begin, &end);
    if (end == begin)
      return false;
    value.kind = JsonValue::Kind::kNumber;
    pos_ += static_cast<std::size_t>(end - begin);
    return true;
  }

  const std::string& text_;
  std::size_t pos_ = 0;
};

const JsonValue& Missing() {
  static const JsonValue missing;
  return missing;
}

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const {
  const auto it = members.find(key);
  return it == members.end() ? Missing() : it->second;
}

const JsonValue& JsonValue::operator[](std::size_t index) const {
  return index < items.size() ? items[index] : Missing();
}

std::optional<JsonValue> ParseJson(const std::string& text) {
  JsonValue value;
  Parser parser(text);
  if (!parser.Document(value))
    return std::nullopt;
  return value;
}

}  // namespace zl::test

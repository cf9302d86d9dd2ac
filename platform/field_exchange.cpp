#include "platform/field_exchange.h"

#include <string>

#include "platform/dialog_framework.h"

namespace zl {

int TextLength(const std::string& text) {
  int count = 0;
  for (const char c : text) {
    // UTF-8 continuation bytes do not start a character.
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
      ++count;
  }
  return count;
}

void FieldExchange::Control(int controlId, ControlRef& control) {
  if (failed_)
    return;
  control.Attach(host_, controlId);
}

void FieldExchange::ListIndex(int controlId, int& index) {
  if (failed_)
    return;
  if (saving_) {
    index = host_.ListSelection(controlId);
  } else {
    host_.SetListSelection(controlId, index);
  }
}

void FieldExchange::Text(int controlId, std::string& text) {
  if (failed_)
    return;
  if (saving_) {
    text = host_.ControlText(controlId);
  } else {
    host_.SetControlText(controlId, text);
  }
}

void FieldExchange::MaxChars(int controlId, const std::string& text, int maxChars) {
  if (failed_)
    return;
  if (!saving_) {
    host_.LimitText(controlId, maxChars);
    return;
  }
  if (TextLength(text) <= maxChars)
    return;
  std::string message = kMaxCharsMessage;
  const auto mark = message.find("%1");
  message.replace(mark, 2, std::to_string(maxChars));
  host_.MessageBox(message, "", BoxButtons::kOk, BoxIcon::kExclamation);
  Fail(controlId);
}

void FieldExchange::Fail(int focusControl) {
  failed_ = true;
  if (focusControl != kIdStatic)
    host_.FocusAndSelect(focusControl);
}

}  // namespace zl

#pragma once

#include <string>

#include "platform/dialog_host.h"

namespace zl {

class ControlRef;

// The framework's message for an edit text above its limit; %1 stands for
// the limit.
inline constexpr const char* kMaxCharsMessage = "Please enter no more than %1 characters.";

// One field exchange between a dialog's members and its controls. Saving
// takes control contents into members; loading puts members into controls.
// After the first failed check every later transfer is skipped, so members
// keep what was transferred before the failure.
class FieldExchange {
 public:
  FieldExchange(DialogHost& host, bool saving) : host_(host), saving_(saving) {}

  bool Saving() const { return saving_; }
  bool Failed() const { return failed_; }
  DialogHost& Host() const { return host_; }

  // Binds a control object to its control.
  void Control(int controlId, ControlRef& control);
  // The selected index of a list; -1 when none. Loading an index outside the
  // list leaves it without a selection.
  void ListIndex(int controlId, int& index);
  // The text of a control.
  void Text(int controlId, std::string& text);
  // Loading limits typed input to maxChars; saving fails for a longer text
  // with kMaxCharsMessage (exclamation icon) and focuses the field with its
  // text selected. Call after Text for the same control.
  void MaxChars(int controlId, const std::string& text, int maxChars);
  // Fails the exchange after a check of the dialog's own (its message shown),
  // focusing the given control when it is not kIdStatic.
  void Fail(int focusControl);

 private:
  DialogHost& host_;
  bool saving_;
  bool failed_ = false;
};

// Characters of a UTF-8 text, as the user counts them.
int TextLength(const std::string& text);

}  // namespace zl

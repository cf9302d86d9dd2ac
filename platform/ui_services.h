#pragma once

#include <string>

namespace zl {

// The one-line status text of the main dialog. Writing replaces the whole
// line and is shown at once, even while a workflow keeps the UI thread busy.
class StatusLine {
 public:
  virtual ~StatusLine() = default;
  virtual void SetStatusText(const std::string& text) = 0;
};

enum class BoxIcon { kNone, kExclamation, kQuestion, kInformation, kStop };
enum class BoxButtons { kOk, kYesNo };

// Answers of a message box, numbered as the dialog framework numbers them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// The caption of every message box shown without an explicit one.
inline constexpr const char* kAppTitle = "zetaLink";

// The services the workflows and the logic programming use to talk to the
// user: status line, modal message boxes and the counted wait cursor.
class UiServices : public StatusLine {
 public:
  // Shows a modal box and returns the button pressed (kIdOk, kIdYes, kIdNo).
  // An empty caption means the application title.
  virtual int MessageBox(const std::string& text, const std::string& caption = "",
                         BoxButtons buttons = BoxButtons::kOk, BoxIcon icon = BoxIcon::kNone) = 0;

  // Begin and end are counted: a pair inside another pair keeps the wait
  // cursor until the outermost end.
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
};

// Begins the wait cursor and ends it when the scope is left, exceptions
// included. End() ends it earlier, for example before a message box.
class WaitCursorScope {
 public:
  explicit WaitCursorScope(UiServices& ui) : ui_(ui) { ui_.BeginWaitCursor(); }
  ~WaitCursorScope() { End(); }
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;

  void End() {
    if (active_) {
      active_ = false;
      ui_.EndWaitCursor();
    }
  }

 private:
  UiServices& ui_;
  bool active_ = true;
};

}  // namespace zl

#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "frontends/cli/status_printer.h"
#include "platform/dialog_framework.h"

namespace zl {

// How a Yes/No box is answered on the command line.
enum class QuestionPolicy {
  kYes,          // --yes was given
  kAskTerminal,  // ask on the terminal; anything but y or yes means No
  kNo,           // nobody can be asked
};

// A message box as the terminal showed it.
struct ShownBox {
  std::string caption;
  std::string text;
  BoxButtons buttons = BoxButtons::kOk;
  int answer = kIdOk;
};

// The terminal backend's host of one running dialog. Controls live in
// memory; the status line goes to stdout through the status printer and
// every message box to stderr as "CAPTION: TEXT".
class TerminalHost final : public DialogHost {
 public:
  TerminalHost(const DialogTemplate& dialogTemplate, StatusPrinter& printer, std::FILE* errors,
               QuestionPolicy policy);

  // UiServices
  void SetStatusText(const std::string& text) override;
  int MessageBox(const std::string& text, const std::string& caption, BoxButtons buttons,
                 BoxIcon icon) override;
  void BeginWaitCursor() override { ++waitDepth_; }
  void EndWaitCursor() override {
    if (waitDepth_ > 0)
      --waitDepth_;
  }

  // DialogHost
  std::string ControlText(int controlId) const override;
  void SetControlText(int controlId, const std::string& text) override;
  void EnableControl(int controlId, bool enabled) override;
  bool IsControlEnabled(int controlId) const override;
  void SetListItems(int controlId, const std::vector<std::string>& items) override;
  int ListSelection(int controlId) const override;
  void SetListSelection(int controlId, int index) override;
  void LimitText(int /*controlId*/, int /*maxChars*/) override {}
  void FocusAndSelect(int /*controlId*/) override {}
  bool HasSystemMenu() const override { return false; }
  void AppendSystemMenuSeparator() override {}
  void AppendSystemMenuItem(int /*commandId*/, const std::string& /*text*/) override {}
  void SetDialogIcon(int /*iconResource*/) override {}
  int WaitCursorDepth() const override { return waitDepth_; }
  void EndDialog(int endCode) override {
    ended_ = true;
    endCode_ = endCode;
  }
  // No other dialog can be shown on a terminal.
  int RunModal(Dialog& /*child*/) override { return -1; }

  // What the run showed, for the summary.
  const std::vector<std::string>& StatusTexts() const { return statusTexts_; }
  const std::vector<ShownBox>& Boxes() const { return boxes_; }
  bool Ended() const { return ended_; }
  int EndCode() const { return endCode_; }
  StatusPrinter& Printer() { return printer_; }

 private:
  struct ControlState {
    std::string text;
    bool enabled = true;
    std::vector<std::string> items;
    int selection = -1;
  };

  int AskOnTerminal(const std::string& prompt);

  const DialogTemplate& template_;
  StatusPrinter& printer_;
  std::FILE* errors_;
  QuestionPolicy policy_;
  std::map<int, ControlState> controls_;
  std::vector<std::string> statusTexts_;
  std::vector<ShownBox> boxes_;
  int waitDepth_ = 0;
  bool ended_ = false;
  int endCode_ = -1;
};

// The terminal backend: runs a dialog without a window. Between the
// dialog's initialisation and its end, the session clicks its buttons; a
// dialog the session did not end is ended with Cancel.
class TerminalBackend final : public DialogBackend {
 public:
  using Session = std::function<void(Dialog&, TerminalHost&)>;

  TerminalBackend(StatusPrinter& printer, std::FILE* errors, QuestionPolicy policy, Session session)
      : printer_(printer), errors_(errors), policy_(policy), session_(std::move(session)) {}

  int RunModal(Dialog& dialog) override;

 private:
  StatusPrinter& printer_;
  std::FILE* errors_;
  QuestionPolicy policy_;
  Session session_;
};

}  // namespace zl

#include "frontends/cli/terminal_host.h"

#include <algorithm>
#include <cctype>

#include "frontends/cli/console.h"

namespace zl {

TerminalHost::TerminalHost(const DialogTemplate& dialogTemplate, StatusPrinter& printer,
                           std::FILE* errors, QuestionPolicy policy)
    : template_(dialogTemplate), printer_(printer), errors_(errors), policy_(policy) {
  for (const auto& control : template_.controls) {
    if (control.id == kIdStatic)
      continue;
    ControlState& state = controls_[control.id];
    state.text = control.text;
  }
}

void TerminalHost::SetStatusText(const std::string& text) {
  if (template_.statusControl != kIdStatic) {
    SetControlText(template_.statusControl, text);
    return;
  }
  statusTexts_.push_back(text);
  printer_.Show(text);
}

std::string TerminalHost::ControlText(int controlId) const {
  const auto it = controls_.find(controlId);
  return it == controls_.end() ? std::string() : it->second.text;
}

void TerminalHost::SetControlText(int controlId, const std::string& text) {
  const auto it = controls_.find(controlId);
  if (it == controls_.end())
    return;
  it->second.text = text;
  // The status control is the status line, whichever way it is written.
  if (controlId == template_.statusControl) {
    statusTexts_.push_back(text);
    printer_.Show(text);
  }
}

void TerminalHost::EnableControl(int controlId, bool enabled) {
  const auto it = controls_.find(controlId);
  if (it != controls_.end())
    it->second.enabled = enabled;
}

bool TerminalHost::IsControlEnabled(int controlId) const {
  const auto it = controls_.find(controlId);
  return it != controls_.end() && it->second.enabled;
}

void TerminalHost::SetListItems(int controlId, const std::vector<std::string>& items) {
  const auto it = controls_.find(controlId);
  if (it == controls_.end())
    return;
  it->second.items = items;
  it->second.selection = -1;
}

int TerminalHost::ListSelection(int controlId) const {
  const auto it = controls_.find(controlId);
  return it == controls_.end() ? -1 : it->second.selection;
}

void TerminalHost::SetListSelection(int controlId, int index) {
  const auto it = controls_.find(controlId);
  if (it == controls_.end())
    return;
  const int count = static_cast<int>(it->second.items.size());
  it->second.selection = index >= 0 && index < count ? index : -1;
}

int TerminalHost::MessageBox(const std::string& text, const std::string& caption,
                             BoxButtons buttons, BoxIcon /*icon*/) {
  printer_.EndLine();
  const std::string shownCaption = caption.empty() ? kAppTitle : caption;
  const std::string line = shownCaption + ": " + text;
  int answer = kIdOk;
  if (buttons == BoxButtons::kYesNo) {
    if (policy_ == QuestionPolicy::kAskTerminal) {
      answer = AskOnTerminal(line);
    } else {
      std::fprintf(errors_, "%s\n", line.c_str());
      answer = policy_ == QuestionPolicy::kYes ? kIdYes : kIdNo;
    }
  } else {
    std::fprintf(errors_, "%s\n", line.c_str());
  }
  std::fflush(errors_);
  boxes_.push_back({shownCaption, text, buttons, answer});
  return answer;
}

int TerminalHost::AskOnTerminal(const std::string& prompt) {
  std::fprintf(errors_, "%s [y/N] ", prompt.c_str());
  std::fflush(errors_);
  std::string reply;
  if (!ReadTerminalLine(reply)) {
    std::fputc('\n', errors_);
    return kIdNo;
  }
  std::transform(reply.begin(), reply.end(), reply.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const auto first = reply.find_first_not_of(" \t");
  const auto last = reply.find_last_not_of(" \t");
  reply = first == std::string::npos ? "" : reply.substr(first, last - first + 1);
  return reply == "y" || reply == "yes" ? kIdYes : kIdNo;
}

int TerminalBackend::RunModal(Dialog& dialog) {
  TerminalHost host(dialog.Template(), printer_, errors_, policy_);
  if (!StartDialog(dialog, host))
    return -1;
  session_(dialog, host);
  if (!host.Ended())
    DispatchCommand(dialog, kIdCancel);
  FinishDialog(dialog);
  printer_.EndLine();
  return host.Ended() ? host.EndCode() : kIdCancel;
}

}  // namespace zl

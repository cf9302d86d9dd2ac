#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialog_framework.h"
#include "tests/support/recording_ui.h"

namespace zl::test {

// One control of a fake dialog window.
struct FakeControl {
  ControlKind kind = ControlKind::kStatic;
  std::string text;
  bool enabled = true;
  std::vector<std::string> items;
  int selection = -1;
  int limit = -1;  // typed-input limit; -1 for none
};

// A dialog run modally from the one under test, as it looked when it closed.
struct ChildRun {
  int templateId = 0;
  std::string title;
  std::map<int, std::string> texts;
};

// A recording dialog backend window: it keeps the controls of a template,
// records every status text, box, enable change and wait-cursor change (and
// all of them in order in `events`), and answers boxes from a script:
// `answers` first, then kIdNo for Yes/No boxes and kIdOk for the others.
class FakeDialogHost : public DialogHost {
 public:
  explicit FakeDialogHost(const DialogTemplate& dialogTemplate) : template_(dialogTemplate) {
    for (const auto& control : dialogTemplate.controls) {
      if (control.id == kIdStatic)
        continue;
      FakeControl& fake = controls[control.id];
      fake.kind = control.kind;
      fake.text = control.text;
    }
  }

  // --- driving the dialog, as a user would ---

  // Attaches and initialises the dialog; false when its initialisation failed.
  bool Start(Dialog& dialog) {
    dialog_ = &dialog;
    return StartDialog(dialog, *this);
  }
  // Clicks a button; a disabled one does nothing and gives false.
  bool Click(int controlId) {
    if (dialog_ == nullptr || !Control(controlId).enabled || endCode.has_value())
      return false;
    DispatchCommand(*dialog_, controlId);
    return true;
  }
  void ChooseSystemCommand(int commandId) {
    if (dialog_ != nullptr)
      DispatchSystemCommand(*dialog_, commandId);
  }
  // Types into an edit field: the text is cut at the field's limit.
  void Type(int controlId, const std::string& text) {
    FakeControl& control = Control(controlId);
    control.text = control.limit >= 0 && TextLength(text) > control.limit
                       ? text.substr(0, static_cast<std::size_t>(control.limit))
                       : text;
  }
  void Choose(int controlId, int index) { SetListSelection(controlId, index); }

  // --- what was recorded ---

  std::string Text(int controlId) const { return ControlText(controlId); }
  bool Enabled(int controlId) const { return IsControlEnabled(controlId); }
  std::string LastStatus() const { return statusTexts.empty() ? "" : statusTexts.back(); }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes)
      texts.push_back(box.text);
    return texts;
  }
  void ClearRecords() {
    statusTexts.clear();
    boxes.clear();
    enableChanges.clear();
    events.clear();
  }

  // --- DialogHost ---

  void SetStatusText(const std::string& text) override {
    statusTexts.push_back(text);
    events.push_back("status: " + text);
    if (template_.statusControl != kIdStatic)
      Control(template_.statusControl).text = text;
  }

  int MessageBox(const std::string& text, const std::string& caption, BoxButtons buttons,
                 BoxIcon icon) override {
    events.push_back("box: " + text);
    return RecordBox(boxes, answers, text, caption, buttons, icon, waitDepth);
  }

  void BeginWaitCursor() override {
    ++waitDepth;
    ++waitBegins;
  }
  void EndWaitCursor() override {
    --waitDepth;
    ++waitEnds;
  }
  int WaitCursorDepth() const override { return waitDepth; }

  std::string ControlText(int controlId) const override {
    const auto found = controls.find(controlId);
    return found == controls.end() ? "" : found->second.text;
  }
  void SetControlText(int controlId, const std::string& text) override {
    Control(controlId).text = text;
  }
  void EnableControl(int controlId, bool enabled) override {
    Control(controlId).enabled = enabled;
    enableChanges.emplace_back(controlId, enabled);
    events.push_back("enable: " + std::to_string(controlId) + (enabled ? " on" : " off"));
  }
  bool IsControlEnabled(int controlId) const override {
    const auto found = controls.find(controlId);
    return found != controls.end() && found->second.enabled;
  }
  void SetListItems(int controlId, const std::vector<std::string>& items) override {
    FakeControl& control = Control(controlId);
    control.items = items;
    control.selection = -1;
  }
  int ListSelection(int controlId) const override {
    const auto found = controls.find(controlId);
    return found == controls.end() ? -1 : found->second.selection;
  }
  void SetListSelection(int controlId, int index) override {
    FakeControl& control = Control(controlId);
    control.selection = index >= 0 && index < static_cast<int>(control.items.size()) ? index : -1;
  }
  void LimitText(int controlId, int maxChars) override { Control(controlId).limit = maxChars; }
  void FocusAndSelect(int controlId) override {
    focus = controlId;
    events.push_back("focus: " + std::to_string(controlId));
  }
  bool HasSystemMenu() const override { return hasSystemMenu; }
  void AppendSystemMenuSeparator() override { systemMenu.push_back({0, ""}); }
  void AppendSystemMenuItem(int commandId, const std::string& text) override {
    systemMenu.push_back({commandId, text});
  }
  void SetDialogIcon(int iconResource) override { icon = iconResource; }
  void EndDialog(int code) override {
    if (!endCode.has_value())
      endCode = code;
  }
  int RunModal(Dialog& child) override {
    FakeDialogHost childHost(child.Template());
    ChildRun run{child.Template().id, child.Template().title, {}};
    if (!childHost.Start(child))
      return -1;
    for (const auto& [id, control] : childHost.controls)
      run.texts[id] = control.text;
    FinishDialog(child);
    childRuns.push_back(std::move(run));
    return kIdCancel;  // closed with Esc
  }

  FakeControl& Control(int controlId) { return controls[controlId]; }
  const FakeControl& Control(int controlId) const { return controls.at(controlId); }

  std::map<int, FakeControl> controls;
  std::vector<std::string> statusTexts;
  std::vector<RecordedBox> boxes;
  std::vector<std::pair<int, bool>> enableChanges;
  std::vector<std::string> events;
  std::deque<int> answers;
  std::vector<std::pair<int, std::string>> systemMenu;  // separators have id 0
  std::vector<ChildRun> childRuns;
  std::optional<int> endCode;
  int focus = kIdStatic;
  int icon = 0;
  bool hasSystemMenu = true;
  int waitDepth = 0;
  int waitBegins = 0;
  int waitEnds = 0;

 private:
  const DialogTemplate& template_;
  Dialog* dialog_ = nullptr;
};

// A backend that runs each dialog on a FakeDialogHost and hands it to a
// script standing in for the user. The run ends with the code the dialog
// ended with, or -1 when it did not end (or could not start).
class FakeDialogBackend : public DialogBackend {
 public:
  using Script = std::function<void(FakeDialogHost&, Dialog&)>;
  explicit FakeDialogBackend(Script script) : script_(std::move(script)) {}

  int RunModal(Dialog& dialog) override {
    host = std::make_unique<FakeDialogHost>(dialog.Template());
    if (!host->Start(dialog))
      return -1;
    if (script_)
      script_(*host, dialog);
    FinishDialog(dialog);
    return host->endCode.value_or(-1);
  }

  std::unique_ptr<FakeDialogHost> host;

 private:
  Script script_;
};

}  // namespace zl::test

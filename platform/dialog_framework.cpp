#include "platform/dialog_framework.h"

#include <exception>
#include <stdexcept>
#include <string>

#include "platform/errors.h"

namespace zl {

DialogHost& Dialog::Host() const {
  if (host_ == nullptr)
    throw std::logic_error("dialog is not running");
  return *host_;
}

bool Dialog::InitialiseDialog() {
  for (const auto& control : template_.controls) {
    if (control.kind == ControlKind::kDropDownList && control.id != kIdStatic) {
      Host().SetListItems(control.id, control.initialItems);
    }
  }
  return ExchangeFields(false);
}

bool Dialog::ExchangeFields(bool /*saving*/) {
  return true;
}

void Dialog::HandleOk() {
  if (ExchangeFields(true))
    EndDialog(kIdOk);
}

void Dialog::HandleCancel() {
  EndDialog(kIdCancel);
}

void Dialog::HandleCommand(int controlId) {
  if (controlId == kIdOk) {
    HandleOk();
  } else if (controlId == kIdCancel) {
    HandleCancel();
  }
}

void Dialog::HandleSystemCommand(int /*commandId*/) {}

int RunDialog(Dialog& dialog, DialogBackend& backend) {
  return backend.RunModal(dialog);
}

bool StartDialog(Dialog& dialog, DialogHost& host) {
  dialog.AttachHost(&host);
  bool started = false;
  try {
    started = dialog.InitialiseDialog();
  } catch (const std::exception& error) {
    host.MessageBox(error.what(), "", BoxButtons::kOk, BoxIcon::kStop);
  }
  if (!started)
    dialog.AttachHost(nullptr);
  return started;
}

namespace {

// Runs one handler; whatever it lets escape is reported and the wait cursor
// is brought back to where it was, so the dialog stays usable.
template <typename Handler>
void Guarded(DialogHost& host, Handler handler) {
  const int depth = host.WaitCursorDepth();
  try {
    handler();
  } catch (const FileError& error) {
    while (host.WaitCursorDepth() > depth)
      host.EndWaitCursor();
    const std::string what = error.what();
    host.MessageBox(what.find(error.Path()) != std::string::npos
                        ? what
                        : "Cannot read " + error.Path() + ": " + what,
                    "", BoxButtons::kOk, BoxIcon::kStop);
  } catch (const std::exception& error) {
    while (host.WaitCursorDepth() > depth)
      host.EndWaitCursor();
    host.MessageBox(error.what(), "", BoxButtons::kOk, BoxIcon::kStop);
  }
}

}  // namespace

void DispatchCommand(Dialog& dialog, int controlId) {
  if (!dialog.HasHost())
    return;
  Guarded(dialog.Host(), [&] { dialog.HandleCommand(controlId); });
}

void DispatchSystemCommand(Dialog& dialog, int commandId) {
  if (!dialog.HasHost())
    return;
  Guarded(dialog.Host(), [&] { dialog.HandleSystemCommand(commandId); });
}

void FinishDialog(Dialog& dialog) {
  dialog.AttachHost(nullptr);
}

}  // namespace zl

#pragma once

#include <string>

#include "platform/dialog_host.h"
#include "platform/dialog_template.h"
#include "platform/field_exchange.h"
#include "platform/ui_services.h"

namespace zl {

// A control of the running dialog, addressed by its id. Bound to the dialog
// by a field exchange (FieldExchange::Control); unbound it does nothing.
class ControlRef {
 public:
  void Attach(DialogHost& host, int controlId) {
    host_ = &host;
    id_ = controlId;
  }
  bool IsAttached() const { return host_ != nullptr; }
  int Id() const { return id_; }

  void EnableWindow(bool enabled) {
    if (host_ != nullptr)
      host_->EnableControl(id_, enabled);
  }
  bool IsWindowEnabled() const { return host_ != nullptr && host_->IsControlEnabled(id_); }
  void SetWindowText(const std::string& text) {
    if (host_ != nullptr)
      host_->SetControlText(id_, text);
  }
  std::string GetWindowText() const { return host_ != nullptr ? host_->ControlText(id_) : ""; }

 private:
  DialogHost* host_ = nullptr;
  int id_ = kIdStatic;
};

class Button : public ControlRef {};
class StaticText : public ControlRef {};

// The base of every dialog. A backend builds the window from Template(),
// attaches its host, calls InitialiseDialog and then routes every button
// click to HandleCommand and every window-menu command to
// HandleSystemCommand, until a handler ends the dialog, and detaches the
// host at the end. Enter reaches
// HandleCommand(kIdOk); Esc and the close box reach HandleCommand(kIdCancel).
class Dialog {
 public:
  explicit Dialog(const DialogTemplate& dialogTemplate) : template_(dialogTemplate) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  const DialogTemplate& Template() const { return template_; }

  // Called by the backend around the dialog's run.
  void AttachHost(DialogHost* host) { host_ = host; }
  bool HasHost() const { return host_ != nullptr; }
  // The running dialog's host; throws std::logic_error when not running.
  DialogHost& Host() const;

  // Fills the lists from the template's initial data, then loads the members
  // into the controls. False ends the dialog with -1.
  virtual bool InitialiseDialog();

  // Transfers between members and controls; saving = controls to members.
  // Returns false when a check failed (its message was shown).
  virtual bool ExchangeFields(bool saving);

  // The default OK: a saving exchange and, if it succeeds, the end with kIdOk.
  virtual void HandleOk();
  // The default Cancel: the end with kIdCancel, nothing validated.
  virtual void HandleCancel();

  // A button click. The base handles kIdOk and kIdCancel.
  virtual void HandleCommand(int controlId);
  // A window-menu command; the base ignores it.
  virtual void HandleSystemCommand(int commandId);

  void EndDialog(int endCode) { Host().EndDialog(endCode); }

 private:
  const DialogTemplate& template_;
  DialogHost* host_ = nullptr;
};

// A window system able to run dialogs.
class DialogBackend {
 public:
  virtual ~DialogBackend() = default;
  // Builds the dialog's window, runs it until it ends and returns the end
  // code, or -1 when it cannot be created or its initialisation failed.
  virtual int RunModal(Dialog& dialog) = 0;
};

// Runs a dialog modally on a backend: the application's "do modal".
int RunDialog(Dialog& dialog, DialogBackend& backend);

// Helpers for backends. StartDialog attaches the host and initialises the
// dialog; false means the run ends at once with -1. DispatchCommand and
// DispatchSystemCommand route an event to the dialog; an exception that a
// handler let through is reported in an error box, with the wait cursor
// count restored to what it was, and the dialog keeps running. FinishDialog
// detaches the host after the run.
bool StartDialog(Dialog& dialog, DialogHost& host);
void DispatchCommand(Dialog& dialog, int controlId);
void DispatchSystemCommand(Dialog& dialog, int commandId);
void FinishDialog(Dialog& dialog);

}  // namespace zl

#pragma once

#include <string>
#include <vector>

#include "platform/ui_services.h"

namespace zl {

class Dialog;

// What a window-system backend provides for one running dialog. The dialog
// logic addresses controls by their template ids and never sees the window
// system. The UiServices part is the dialog's own: the status line is the
// template's status control, repainted at once even while a workflow keeps
// the UI thread busy; boxes are modal and owned by the dialog (caption
// kAppTitle when none is given, OK without an icon unless given, Yes/No with
// Yes as the default button); the wait cursor is counted.
class DialogHost : public UiServices {
 public:
  // Text of a static, edit or button control ("" for an unknown id).
  virtual std::string ControlText(int controlId) const = 0;
  virtual void SetControlText(int controlId, const std::string& text) = 0;

  virtual void EnableControl(int controlId, bool enabled) = 0;
  virtual bool IsControlEnabled(int controlId) const = 0;

  // Replaces the entries of a list control.
  virtual void SetListItems(int controlId, const std::vector<std::string>& items) = 0;
  // The selected index, -1 when nothing is selected.
  virtual int ListSelection(int controlId) const = 0;
  // Selects an entry; an index outside the list leaves it without a selection.
  virtual void SetListSelection(int controlId, int index) = 0;

  // Refuses typed input beyond `maxChars` characters in an edit field. A
  // longer text set by the program is kept and shown in full.
  virtual void LimitText(int controlId, int maxChars) = 0;

  // Gives the focus to a control and, for an edit field, selects its text.
  virtual void FocusAndSelect(int controlId) = 0;

  // The window menu. Where the window system gives the application no system
  // menu, the backend offers the same items elsewhere (a context menu) and
  // still answers true. A chosen item reaches Dialog::HandleSystemCommand.
  virtual bool HasSystemMenu() const = 0;
  virtual void AppendSystemMenuSeparator() = 0;
  virtual void AppendSystemMenuItem(int commandId, const std::string& text) = 0;

  // Makes an icon resource the dialog's large icon.
  virtual void SetDialogIcon(int iconResource) = 0;

  // How many wait-cursor begins are not yet ended.
  virtual int WaitCursorDepth() const = 0;

  // Ends the dialog with an end code once the current handler returns.
  virtual void EndDialog(int endCode) = 0;

  // Runs another dialog modally, owned by this one; returns its end code or
  // -1 when it cannot be created.
  virtual int RunModal(Dialog& child) = 0;
};

}  // namespace zl

#pragma once

#include <QDialog>
#include <QFont>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "frontends/qt/dialog_units.h"
#include "platform/dialog_framework.h"

class QMenu;

namespace zl::qt {

// A dialog of the framework as a Qt window: built from the dialog's template
// (dialog units converted by the template font's base units, fixed size,
// controls in template order, which is also the tab order) and serving as
// the dialog's host. Clicks, Enter (the default button), Esc and the close
// box (both as Cancel) and the window-menu items reach the dialog logic.
class DialogWindow final : public QDialog, public DialogHost {
 public:
  explicit DialogWindow(Dialog& dialog, QWidget* parent = nullptr);
  ~DialogWindow() override;

  // Attaches this window to the dialog logic and runs its initialisation.
  // False: the dialog cannot run (its end code is then -1).
  bool Start();

  // Places the window: centred on the screen, or at its template position
  // relative to the owner.
  void Place();

  // Places and shows the window without a modal loop.
  void Show();

  // Shows the started dialog and runs it modally until it ends; returns the
  // end code.
  int Run();

  // The end code once the dialog ended; -1 before (or when it never started).
  int EndCode() const { return endCode_; }
  bool Ended() const { return ended_; }

  // The widget of a control id, nullptr for an unknown id.
  QWidget* ControlWidget(int controlId) const;
  const DialogBaseUnits& BaseUnits() const { return units_; }

  // DialogHost
  void SetStatusText(const std::string& text) override;
  int MessageBox(const std::string& text, const std::string& caption, BoxButtons buttons,
                 BoxIcon icon) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  std::string ControlText(int controlId) const override;
  void SetControlText(int controlId, const std::string& text) override;
  void EnableControl(int controlId, bool enabled) override;
  bool IsControlEnabled(int controlId) const override;
  void SetListItems(int controlId, const std::vector<std::string>& items) override;
  int ListSelection(int controlId) const override;
  void SetListSelection(int controlId, int index) override;
  void LimitText(int controlId, int maxChars) override;
  void FocusAndSelect(int controlId) override;
  bool HasSystemMenu() const override;
  void AppendSystemMenuSeparator() override;
  void AppendSystemMenuItem(int commandId, const std::string& text) override;
  void SetDialogIcon(int iconResource) override;
  int WaitCursorDepth() const override { return waitDepth_; }
  void EndDialog(int endCode) override;
  int RunModal(Dialog& child) override;

 protected:
  // Esc and the close box.
  void reject() override;
  void accept() override;
  // The window menu, where the window system gives the application none.
  void contextMenuEvent(QContextMenuEvent* event) override;
  // The window menu's own items, where the window system has such a menu.
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  struct MenuItem {
    int commandId = 0;  // 0 for a separator
    QString text;
  };

  void Build();
  QWidget* CreateControl(const ControlTemplate& control);
  void OnCommand(int controlId);
  void OnSystemCommand(int commandId);
  void EndPendingDialog();

  Dialog& dialog_;
  QFont font_;
  DialogBaseUnits units_;
  std::map<int, QWidget*> controls_;
  std::vector<MenuItem> windowMenu_;
  int waitDepth_ = 0;
  int dispatchDepth_ = 0;
  std::optional<int> pendingEnd_;
  bool started_ = false;
  bool ended_ = false;
  int endCode_ = -1;
};

}  // namespace zl::qt

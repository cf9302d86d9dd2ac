#pragma once

#include <functional>

#include "platform/dialog_framework.h"

namespace zl::qt {

class DialogWindow;

// Runs the framework's dialogs as Qt windows.
class QtDialogBackend final : public DialogBackend {
 public:
  // Called once the window of a dialog run by RunModal is up and its modal
  // loop is running (tests drive the dialog from here).
  using ShownHook = std::function<void(DialogWindow&)>;
  void SetShownHook(ShownHook hook) { shownHook_ = std::move(hook); }

  int RunModal(Dialog& dialog) override;

 private:
  ShownHook shownHook_;
};

}  // namespace zl::qt

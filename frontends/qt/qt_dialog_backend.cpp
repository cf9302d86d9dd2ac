#include "frontends/qt/qt_dialog_backend.h"

#include <QTimer>

#include "frontends/qt/dialog_window.h"

namespace zl::qt {

int QtDialogBackend::RunModal(Dialog& dialog) {
  DialogWindow window(dialog);
  if (!window.Start())
    return -1;
  if (shownHook_) {
    QTimer::singleShot(0, &window, [this, &window] { shownHook_(window); });
  }
  return window.Run();
}

}  // namespace zl::qt

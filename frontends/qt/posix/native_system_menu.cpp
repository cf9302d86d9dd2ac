#include "frontends/qt/native_system_menu.h"

namespace zl::qt {

// The window manager draws the window menu; the application cannot add to it.
bool AppendToNativeSystemMenu(QWidget& /*window*/, int /*commandId*/, const QString& /*text*/) {
  return false;
}

int NativeSystemCommand(const QByteArray& /*eventType*/, void* /*message*/) {
  return 0;
}

}  // namespace zl::qt

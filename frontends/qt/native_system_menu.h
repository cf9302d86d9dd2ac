#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

namespace zl::qt {

// The window system's own window menu, where there is one the program can
// extend (Windows). Elsewhere (X11, Wayland) the window manager owns that
// menu, these report false and 0, and the dialog offers its items in a
// context menu instead.

// Appends an item (a separator for command 0) to the window's system menu.
bool AppendToNativeSystemMenu(QWidget& window, int commandId, const QString& text);

// The command id of a native system-command message for an item the
// program added (low four bits masked off, as the system uses them), or 0.
int NativeSystemCommand(const QByteArray& eventType, void* message);

}  // namespace zl::qt

#include "frontends/qt/native_system_menu.h"

#include <windows.h>

#include <QWidget>
#include <string>

namespace zl::qt {

namespace {

// Commands of the system's own items (SC_CLOSE, SC_MOVE, ...) start at
// 0xF000; ids of the program's items lie below.
constexpr UINT kFirstSystemCommand = 0xF000;

}  // namespace

bool AppendToNativeSystemMenu(QWidget& window, int commandId, const QString& text) {
  HWND handle = reinterpret_cast<HWND>(window.winId());
  HMENU menu = GetSystemMenu(handle, FALSE);
  if (menu == nullptr)
    return false;
  if (commandId == 0)
    return AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) != 0;
  const std::wstring wide = text.toStdWString();
  return AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(commandId), wide.c_str()) != 0;
}

int NativeSystemCommand(const QByteArray& eventType, void* message) {
  if (eventType != "windows_generic_MSG")
    return 0;
  const MSG* msg = static_cast<const MSG*>(message);
  if (msg->message != WM_SYSCOMMAND)
    return 0;
  const UINT command = static_cast<UINT>(msg->wParam) & 0xFFF0;
  return command != 0 && command < kFirstSystemCommand ? static_cast<int>(command) : 0;
}

}  // namespace zl::qt

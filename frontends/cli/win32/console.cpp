#include "frontends/cli/console.h"

#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <iostream>

namespace zl {

namespace {

std::atomic<bool> g_interrupted{false};

// Runs on a thread of its own that the system starts: only the flag is set.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    if (g_interrupted.exchange(true))
      return FALSE;  // second time: default handling ends us
    return TRUE;
  }
  return FALSE;
}

}  // namespace

bool IsTerminal(std::FILE* stream) {
  return _isatty(_fileno(stream)) != 0;
}

void InstallInterruptHandlers() {
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool Interrupted() {
  return g_interrupted.load();
}

int InterruptExitStatus() {
  return 130;
}

bool ReadTerminalLine(std::string& line) {
  line.clear();
  if (!std::getline(std::cin, line) || Interrupted())
    return false;
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return true;
}

void SetProcessVariable(const std::string& name, const std::string& value) {
  _putenv_s(name.c_str(), value.c_str());
}

}  // namespace zl

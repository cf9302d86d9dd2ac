#include "frontends/cli/console.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zl {

namespace {

volatile sig_atomic_t g_signal = 0;

extern "C" void OnInterrupt(int signal) {
  g_signal = signal;
}

}  // namespace

bool IsTerminal(std::FILE* stream) {
  return isatty(fileno(stream)) == 1;
}

void InstallInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocking read of an answer returns with EINTR. The
  // handler is reset after the first signal, so a second Ctrl-C ends the
  // program at once.
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  // A closed output pipe must not kill the program before it released the
  // port; writes then fail instead.
  signal(SIGPIPE, SIG_IGN);
}

bool Interrupted() {
  return g_signal != 0;
}

int InterruptExitStatus() {
  return 128 + (g_signal != 0 ? static_cast<int>(g_signal) : SIGINT);
}

bool ReadTerminalLine(std::string& line) {
  line.clear();
  for (;;) {
    if (Interrupted())
      return false;
    char c;
    const ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    if (c == '\n')
      return true;
    if (c != '\r')
      line.push_back(c);
  }
}

void SetProcessVariable(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace zl

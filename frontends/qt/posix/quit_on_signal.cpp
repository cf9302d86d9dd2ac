#include "frontends/qt/quit_on_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>

namespace zl::qt {

namespace {

// The signal handler may only write to a descriptor; the event loop reads
// the other end. Both are process-wide by nature.
int g_signalPipe[2] = {-1, -1};
int g_quitSignal = 0;

void OnSignal(int signalNumber) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signalNumber);
  [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &number, 1);
  errno = saved;
}

}  // namespace

void InstallQuitOnSignal() {
  if (g_signalPipe[0] >= 0)
    return;
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
    return;
  fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);

  auto* notifier =
      new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
    unsigned char number = 0;
    if (read(g_signalPipe[0], &number, 1) == 1 && g_quitSignal == 0) {
      g_quitSignal = number;
      // Ends the dialog's loop and any box's loop; loops started later
      // return at once.
      QCoreApplication::exit(128 + number);
    }
  });

  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP})
    sigaction(signalNumber, &action, nullptr);
}

int QuitSignal() {
  return g_quitSignal;
}

}  // namespace zl::qt

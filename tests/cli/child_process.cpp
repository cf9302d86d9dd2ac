#include "tests/cli/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace zl::test {

namespace {

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  if (outFd_ >= 0)
    close(outFd_);
  if (errFd_ >= 0)
    close(errFd_);
}

bool ChildProcess::Start(const std::vector<std::string>& argv) {
  std::vector<std::string> args = argv;
  std::vector<char*> pointers;
  for (auto& a : args)
    pointers.push_back(a.data());
  pointers.push_back(nullptr);

  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0)
    return false;
  if (pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return false;
  }
  startMs_ = NowMs();
  const pid_t pid = fork();
  if (pid < 0)
    return false;
  if (pid == 0) {
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    execv(pointers[0], pointers.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  pid_ = pid;
  outFd_ = out[0];
  errFd_ = err[0];
  return true;
}

bool ChildProcess::Pump(int timeoutMs) {
  pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
  if (outFd_ < 0 && errFd_ < 0)
    return false;
  const int ready = poll(fds, 2, timeoutMs);
  if (ready <= 0)
    return true;
  int* targets[2] = {&outFd_, &errFd_};
  std::string* texts[2] = {&out_, &err_};
  for (int i = 0; i < 2; ++i) {
    if (*targets[i] < 0 || fds[i].revents == 0)
      continue;
    char buffer[4096];
    const ssize_t n = read(*targets[i], buffer, sizeof buffer);
    if (n > 0) {
      texts[i]->append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      close(*targets[i]);
      *targets[i] = -1;
    }
  }
  return outFd_ >= 0 || errFd_ >= 0;
}

bool ChildProcess::TryReap() {
  if (pid_ <= 0)
    return true;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_)
    return false;
  exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  pid_ = 0;
  endMs_ = NowMs();
  return true;
}

bool ChildProcess::WaitFor(const std::function<bool()>& done, int timeoutMs) {
  const long long deadline = NowMs() + timeoutMs;
  while (!done()) {
    const long long left = deadline - NowMs();
    if (left <= 0)
      return false;
    if (!Pump(static_cast<int>(left < 50 ? left : 50))) {
      // Both pipes closed: nothing more will arrive.
      return done();
    }
  }
  return true;
}

bool ChildProcess::WaitExit(int timeoutMs) {
  const long long deadline = NowMs() + timeoutMs;
  for (;;) {
    Pump(20);
    if (TryReap()) {
      // What is still in the pipes; bounded, since a program the child
      // started may still hold them.
      const long long drainEnd = NowMs() + 500;
      while (Pump(10) && NowMs() < drainEnd) {
      }
      return true;
    }
    if (NowMs() >= deadline)
      break;
  }
  timedOut_ = true;
  kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = 0;
  endMs_ = NowMs();
  return false;
}

void ChildProcess::Signal(int signal) const {
  if (pid_ > 0)
    kill(pid_, signal);
}

int ChildProcess::ElapsedMs() const {
  return static_cast<int>((endMs_ != 0 ? endMs_ : NowMs()) - startMs_);
}

RunResult RunProgram(const std::vector<std::string>& argv, int timeoutMs) {
  ChildProcess child;
  RunResult result;
  if (!child.Start(argv))
    return result;
  child.WaitExit(timeoutMs);
  result.exitStatus = child.ExitStatus();
  result.timedOut = child.TimedOut();
  result.out = child.Out();
  result.err = child.Err();
  result.elapsedMs = child.ElapsedMs();
  return result;
}

}  // namespace zl::test

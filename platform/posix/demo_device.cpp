#include "platform/demo_device.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace zl {

namespace {

using SteadyClock = std::chrono::steady_clock;

int RemainingMs(SteadyClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for the child to end, at most timeoutMs. True when it was reaped.
bool ReapWithin(int pid, int timeoutMs, int& status) {
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const int r = waitpid(pid, &status, WNOHANG);
    if (r == pid || (r < 0 && errno != EINTR))
      return true;
    if (RemainingMs(deadline) == 0)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string DescribeExit(int status) {
  if (WIFEXITED(status))
    return "exit status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status))
    return "signal " + std::to_string(WTERMSIG(status));
  return "unknown status";
}

}  // namespace

std::string DemoImagesDirectory(const std::string& programDir) {
  return programDir + "/sample-images";
}

DemoDevice::~DemoDevice() {
  Stop();
}

bool DemoDevice::Start(const std::string& programDir, const std::vector<std::string>& extraArgs,
                       std::string& error, int timeoutMs) {
  Stop();
  const std::string program = programDir + "/zeta7-sim";
  if (access(program.c_str(), X_OK) != 0) {
    error = "cannot run the emulated device " + program + ": " + std::strerror(errno);
    return false;
  }

  // Everything the child needs is prepared before fork: between fork and
  // exec only async-signal-safe calls are allowed (the Qt tool has threads).
  std::vector<std::string> args{program};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error = std::string("cannot create a pipe: ") + std::strerror(errno);
    return false;
  }
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    error = std::string("cannot start the emulated device: ") + std::strerror(errno);
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    // Own process group: a Ctrl-C on the terminal is for the tool, which
    // then stops the emulator in order.
    setpgid(0, 0);
#ifdef __linux__
    prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
    if (getppid() != parent)
      _exit(127);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    dup2(fds[1], STDOUT_FILENO);  // dup2 clears close-on-exec on the copy
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(fds[1]);
  pid_ = pid;
  outputFd_ = fds[0];

  // The first line is the slave path; read it byte by byte so that nothing
  // after it is consumed, under one overall deadline.
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
  std::string line;
  bool complete = false;
  bool ended = false;
  while (!complete && !ended) {
    pollfd p{outputFd_, POLLIN, 0};
    const int ready = poll(&p, 1, RemainingMs(deadline));
    if (ready < 0 && errno == EINTR)
      continue;
    if (ready <= 0)
      break;  // deadline passed
    char c;
    const ssize_t n = read(outputFd_, &c, 1);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      ended = true;
    } else if (c == '\n') {
      complete = true;
    } else if (line.size() < 4096) {
      line.push_back(c);
    }
  }
  if (!line.empty() && line.back() == '\r')
    line.pop_back();

  if (!complete || line.empty()) {
    int status = 0;
    kill(pid_, SIGKILL);
    ReapWithin(pid_, 2000, status);
    error = ended ? "the emulated device ended before it was ready (" + DescribeExit(status) + ")"
                  : "the emulated device did not report its port within " +
                        std::to_string(timeoutMs) + " ms";
    close(outputFd_);
    outputFd_ = -1;
    pid_ = 0;
    return false;
  }

  devicePath_ = line;
  const char* old = std::getenv(kDemoComVariable);
  hadCom1_ = old != nullptr;
  oldCom1_ = old ? old : "";
  setenv(kDemoComVariable, devicePath_.c_str(), 1);
  return true;
}

void DemoDevice::Stop() {
  if (pid_ <= 0)
    return;
  int status = 0;
  kill(pid_, SIGTERM);
  if (!ReapWithin(pid_, 2000, status)) {
    kill(pid_, SIGKILL);
    ReapWithin(pid_, 2000, status);
  }
  pid_ = 0;
  // Kept open until now so that a late line of the emulator never meets a
  // closed pipe.
  if (outputFd_ >= 0)
    close(outputFd_);
  outputFd_ = -1;
  devicePath_.clear();
  if (hadCom1_) {
    setenv(kDemoComVariable, oldCom1_.c_str(), 1);
  } else {
    unsetenv(kDemoComVariable);
  }
}

}  // namespace zl

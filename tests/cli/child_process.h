#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zl::test {

// A program run by a test with its standard output and error captured and
// its standard input from /dev/null. Every wait is bounded; a child still
// running when the object ends is killed and reaped.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::vector<std::string>& argv);

  // Collects output until `done` answers true (checked after each read) or
  // timeoutMs passed. True when `done` answered true.
  bool WaitFor(const std::function<bool()>& done, int timeoutMs);

  // Waits at most timeoutMs for the exit, collecting output; kills the
  // child when it overstays (TimedOut() then answers true).
  bool WaitExit(int timeoutMs);

  void Signal(int signal) const;

  const std::string& Out() const { return out_; }
  const std::string& Err() const { return err_; }
  int ExitStatus() const { return exitStatus_; }  // 128 + signal when killed by one
  bool TimedOut() const { return timedOut_; }
  int ElapsedMs() const;

 private:
  bool Pump(int timeoutMs);  // one poll round; false when both pipes are closed
  bool TryReap();

  int pid_ = 0;
  int outFd_ = -1;
  int errFd_ = -1;
  std::string out_;
  std::string err_;
  int exitStatus_ = -1;
  bool timedOut_ = false;
  long long startMs_ = 0;
  long long endMs_ = 0;
};

// Runs a program to its end, at most timeoutMs.
struct RunResult {
  int exitStatus = -1;
  bool timedOut = false;
  std::string out;
  std::string err;
  int elapsedMs = 0;
};
RunResult RunProgram(const std::vector<std::string>& argv, int timeoutMs);

}  // namespace zl::test

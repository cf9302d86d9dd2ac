#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "sim/loader_engine.h"

namespace zl::sim {

// Serves the loader engine on a descriptor in real time: bytes are read as
// they come, answers leave after the device's busy time, paced at 10 bits
// per byte unless pacing is off.
//
// On a pseudo-terminal master the tool's speed is read from the line
// settings for every batch of bytes (received and sent), so bytes sent at
// another speed than the device's arrive garbled on either side. While no
// one holds the slave open the master reports a hang-up; the server then
// naps instead of spinning and drops what it had to send. Answers are only
// sent while the slave is configured raw, so the terminal's echo never feeds
// the device its own frames.
//
// On a real tty the hardware does the garbling: the server sets the tty to
// the device's speed, changing it after the speed answer has gone out.
class LineServer {
 public:
  LineServer(int fd, bool pseudoTerminal, LoaderEngine& engine, bool pacing);

  // Serves until `stop` becomes non-zero. `idle` is called when the device's
  // memory changed and the line has been quiet for a moment (to save it).
  void Run(const volatile std::sig_atomic_t& stop, const std::function<void()>& idle);

 private:
  using Clock = std::chrono::steady_clock;
  struct Outgoing {
    Clock::time_point due;
    std::vector<std::uint8_t> bytes;
    std::size_t sent = 0;
    std::uint32_t speed = 0;
    std::uint32_t speedAfter = 0;  // tty speed to set once sent (real ttys only)
  };

  void ReadInput(bool& lineGone);
  void SendDue(bool& lineGone);
  Clock::duration ByteTime(std::uint32_t speed) const;
  std::uint32_t HostSpeed() const;

  int fd_;
  bool pseudoTerminal_;
  LoaderEngine& engine_;
  bool pacing_;
  std::deque<Outgoing> queue_;
  Clock::time_point lineFree_;
  Clock::time_point lastActivity_;
  std::uint32_t ttySpeed_;
};

}  // namespace zl::sim

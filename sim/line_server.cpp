#include "sim/line_server.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "sim/line_speed.h"
#include "sim/serial_device.h"

namespace zl::sim {

namespace {

constexpr auto kMaxWait = std::chrono::milliseconds(200);
constexpr auto kHangUpNap = std::chrono::milliseconds(50);
constexpr auto kQuietBeforeIdle = std::chrono::milliseconds(300);

int WaitMs(std::chrono::steady_clock::duration d) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
  return static_cast<int>(std::clamp<long long>(ms, 0, kMaxWait.count()));
}

void Nap(std::chrono::milliseconds d) {
  poll(nullptr, 0, static_cast<int>(d.count()));
}

}  // namespace

LineServer::LineServer(int fd, bool pseudoTerminal, LoaderEngine& engine, bool pacing)
    : fd_(fd),
      pseudoTerminal_(pseudoTerminal),
      engine_(engine),
      pacing_(pacing),
      lineFree_(Clock::now()),
      lastActivity_(Clock::now()),
      ttySpeed_(engine.Speed()) {}

LineServer::Clock::duration LineServer::ByteTime(std::uint32_t speed) const {
  return pacing_ ? std::chrono::microseconds(ByteTimeUs(speed)) : Clock::duration::zero();
}

std::uint32_t LineServer::HostSpeed() const {
  // On a real tty the hardware receives at the device's own speed.
  return pseudoTerminal_ ? ReadHostSettings(fd_).speed : engine_.Speed();
}

void LineServer::Run(const volatile std::sig_atomic_t& stop, const std::function<void()>& idle) {
  bool closed = false;
  while (stop == 0) {
    if (engine_.HungUp()) {
      // An unplugged adapter: the line is gone for good.
      if (!closed) {
        close(fd_);
        closed = true;
        queue_.clear();
      }
      Nap(kMaxWait);
      continue;
    }
    const auto now = Clock::now();
    Clock::duration wait = kMaxWait;
    if (!queue_.empty()) {
      wait = std::min(wait, queue_.front().due - now);
    } else if (engine_.Dirty()) {
      wait = std::min(wait, lastActivity_ + kQuietBeforeIdle - now);
    }
    pollfd p{fd_, POLLIN, 0};
    const int ready = poll(&p, 1, WaitMs(wait));
    if (ready < 0) {
      continue;  // EINTR: the loop condition looks at the stop flag
    }
    bool lineGone = false;
    if (ready > 0) {
      if ((p.revents & POLLIN) != 0) {
        ReadInput(lineGone);
      } else if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        lineGone = true;
      }
    }
    if (!lineGone) {
      SendDue(lineGone);
    }
    if (lineGone) {
      // No one holds the slave: what the device sends is lost, and poll
      // would report the hang-up at once again, so nap instead.
      queue_.clear();
      Nap(kHangUpNap);
    }
    if (engine_.Dirty() && queue_.empty() && Clock::now() - lastActivity_ >= kQuietBeforeIdle &&
        idle) {
      idle();
    }
  }
  if (!closed) {
    close(fd_);
  }
}

void LineServer::ReadInput(bool& lineGone) {
  std::uint8_t buffer[4096];
  const ssize_t n = read(fd_, buffer, sizeof buffer);
  if (n < 0) {
    lineGone = errno != EAGAIN && errno != EINTR;
    return;
  }
  if (n == 0) {
    lineGone = true;
    return;
  }
  const auto now = Clock::now();
  lastActivity_ = now;
  const std::uint32_t hostSpeed = HostSpeed();
  std::vector<Emission> answers;
  for (ssize_t i = 0; i < n; ++i) {
    answers.clear();
    engine_.Receive(buffer[i], hostSpeed, answers);
    // The pseudo-terminal delivers a write at once; the line would have
    // taken this long for the bytes up to this one.
    const auto arrival = now + ByteTime(hostSpeed) * (i + 1);
    for (auto& answer : answers) {
      if (answer.bytes.empty()) {
        continue;
      }
      Outgoing out;
      out.due = std::max(arrival + std::chrono::milliseconds(answer.delayMs), lineFree_);
      out.speed = answer.speed;
      out.bytes = std::move(answer.bytes);
      lineFree_ = out.due + ByteTime(out.speed) * static_cast<long>(out.bytes.size());
      queue_.push_back(std::move(out));
    }
    if (!pseudoTerminal_ && engine_.Speed() != ttySpeed_) {
      // The speed answer goes out at the old speed; the tty follows after.
      ttySpeed_ = engine_.Speed();
      if (queue_.empty()) {
        SetDeviceTtySpeed(fd_, ttySpeed_);
      } else {
        queue_.back().speedAfter = ttySpeed_;
      }
    }
  }
}

void LineServer::SendDue(bool& lineGone) {
  while (!queue_.empty() && queue_.front().due <= Clock::now()) {
    Outgoing& out = queue_.front();
    std::uint32_t hostSpeed = out.speed;
    if (pseudoTerminal_) {
      const HostLineSettings host = ReadHostSettings(fd_);
      if (!host.raw) {
        // Nobody configured the line; a terminal in its default mode would
        // echo the frame back to the device.
        queue_.pop_front();
        continue;
      }
      hostSpeed = host.speed;
    }
    std::size_t chunk = out.bytes.size() - out.sent;
    if (pacing_) {
      // About 2 ms of line time per write.
      chunk = std::min<std::size_t>(chunk, std::max<std::uint32_t>(1, out.speed / 5000));
    }
    std::vector<std::uint8_t> bytes(out.bytes.begin() + static_cast<long>(out.sent),
                                    out.bytes.begin() + static_cast<long>(out.sent + chunk));
    if (hostSpeed != out.speed) {
      std::transform(bytes.begin(), bytes.end(), bytes.begin(), GarbleByte);
    }
    const ssize_t n = write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) {
        out.due = Clock::now() + std::chrono::milliseconds(1);
        return;
      }
      lineGone = true;
      return;
    }
    out.sent += static_cast<std::size_t>(n);
    lastActivity_ = Clock::now();
    out.due = Clock::now() + ByteTime(out.speed) * n;
    if (out.sent == out.bytes.size()) {
      if (out.speedAfter != 0) {
        SetDeviceTtySpeed(fd_, out.speedAfter);  // waits until the answer has left
      }
      queue_.pop_front();
    }
  }
}

}  // namespace zl::sim

#include "platform/posix/termios_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

namespace zl {

namespace {

// The one place where errno becomes a reason for a failed open.
OpenFailure OpenFailureFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
      return OpenFailure::kMissing;
    case EBUSY:
    case EWOULDBLOCK:
      return OpenFailure::kBusy;
    case EACCES:
    case EPERM:
    case EROFS:
      return OpenFailure::kPermission;
    case ENOTTY:
      return OpenFailure::kNotSerial;
    default:
      return OpenFailure::kOther;
  }
}

// Errors after which the descriptor will not work again.
bool DeviceGone(int error) {
  return error == EIO || error == ENXIO || error == ENODEV;
}

bool SpeedConstant(std::uint32_t bitsPerSecond, speed_t& constant) {
  static constexpr std::pair<std::uint32_t, speed_t> kSpeeds[] = {
      {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
      {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
      {230400, B230400}, {460800, B460800}, {921600, B921600},
  };
  for (const auto& [speed, value] : kSpeeds) {
    if (speed == bitsPerSecond) {
      constant = value;
      return true;
    }
  }
  return false;
}

using SteadyClock = std::chrono::steady_clock;

int MillisecondsLeft(SteadyClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

TermiosChannel::TermiosChannel(PortOverrides overrides) : overrides_(std::move(overrides)) {}

TermiosChannel::~TermiosChannel() {
  Close();
}

bool TermiosChannel::Open(const std::string& device) {
  if (fd_ >= 0) {
    lastOpenFailure_ = OpenFailure::kBusy;
    return false;
  }
  const std::string path = PortDevicePath(device, overrides_);
  // O_NOCTTY: the port must never become this process's controlling
  // terminal. O_NONBLOCK: waiting is done with poll under our own deadlines.
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    lastOpenFailure_ = OpenFailureFromErrno(errno);
    return false;
  }
  // TIOCEXCL makes later opens fail with EBUSY, but root is exempt from it,
  // so also take a lock that binds every opener alike.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    lastOpenFailure_ = OpenFailureFromErrno(errno);
    ::close(fd);
    return false;
  }
  ::ioctl(fd, TIOCEXCL);  // a non-tty fails here and again in Configure
  fd_ = fd;
  gone_ = false;
  lastOpenFailure_ = OpenFailure::kNone;
  return true;
}

bool TermiosChannel::Configure() {
  termios settings{};
  if (::tcgetattr(fd_, &settings) != 0) {
    lastOpenFailure_ = OpenFailureFromErrno(errno == EINVAL ? ENOTTY : errno);
    return false;
  }
  // Every byte passes through unchanged: no break, parity, CR/LF, flow
  // control or echo processing.
  settings.c_iflag = 0;
  settings.c_oflag = 0;
  settings.c_lflag = 0;
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
  settings.c_cflag |= CS8 | CREAD | CLOCAL;
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  ::cfsetispeed(&settings, B9600);
  ::cfsetospeed(&settings, B9600);
  if (::tcsetattr(fd_, TCSANOW, &settings) != 0) {
    lastOpenFailure_ = OpenFailure::kNotSerial;
    return false;
  }
  // DTR and RTS inactive. A pseudo-terminal has no modem lines and refuses
  // these calls; that is not an error.
  const int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd_, TIOCMBIC, &lines);
  return true;
}

bool TermiosChannel::SetSpeed(std::uint32_t bitsPerSecond) {
  speed_t constant{};
  termios settings{};
  if (!SpeedConstant(bitsPerSecond, constant) || ::tcgetattr(fd_, &settings) != 0) {
    return false;
  }
  ::cfsetispeed(&settings, constant);
  ::cfsetospeed(&settings, constant);
  if (::tcsetattr(fd_, TCSANOW, &settings) != 0) {
    return false;
  }
  // tcsetattr succeeds when any part of the change was applied; check that
  // the driver took the speed.
  termios applied{};
  return ::tcgetattr(fd_, &applied) == 0 && ::cfgetospeed(&applied) == constant;
}

bool TermiosChannel::ReadByte(std::uint8_t& byte) {
  if (fd_ < 0 || gone_) {
    return false;
  }
  pollfd watch{fd_, POLLIN, 0};
  const int ready = ::poll(&watch, 1, kReadTimeoutMs);
  if (ready <= 0) {
    return false;  // timed out, or interrupted: an empty read either way
  }
  if ((watch.revents & POLLIN) != 0) {
    const ssize_t got = ::read(fd_, &byte, 1);
    if (got == 1) {
      return true;
    }
    // After a hang-up read returns 0 at once; that is not a timeout.
    if (got == 0 || (got < 0 && DeviceGone(errno))) {
      gone_ = true;
    }
    return false;
  }
  if ((watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    gone_ = true;
  }
  return false;
}

bool TermiosChannel::Write(const std::uint8_t* data, std::size_t count, std::size_t& written) {
  written = 0;
  if (fd_ < 0 || gone_) {
    return false;
  }
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(10 * count + 100);
  while (written < count) {
    const ssize_t put = ::write(fd_, data + written, count - written);
    if (put > 0) {
      written += static_cast<std::size_t>(put);
      continue;
    }
    if (put < 0 && errno != EAGAIN && errno != EINTR) {
      if (DeviceGone(errno)) {
        gone_ = true;
      }
      return false;
    }
    const int left = MillisecondsLeft(deadline);
    if (left == 0) {
      break;  // the driver gave up: a partial write
    }
    pollfd watch{fd_, POLLOUT, 0};
    if (::poll(&watch, 1, left) > 0 && (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      gone_ = true;
      return false;
    }
  }
  return true;
}

void TermiosChannel::PurgeInput() {
  if (fd_ >= 0) {
    ::tcflush(fd_, TCIFLUSH);
  }
}

bool TermiosChannel::ClearError() {
  if (fd_ < 0 || gone_) {
    return false;
  }
  // Line errors need no clearing on a tty; only a vanished device fails.
  pollfd watch{fd_, 0, 0};
  if (::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    gone_ = true;
    return false;
  }
  return true;
}

void TermiosChannel::Close() {
  if (fd_ >= 0) {
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // also releases the lock
    fd_ = -1;
  }
  gone_ = false;
}

}  // namespace zl

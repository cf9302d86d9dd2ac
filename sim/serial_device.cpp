#include "sim/serial_device.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zl::sim {

namespace {

struct SpeedPair {
  speed_t code;
  std::uint32_t bits;
};

constexpr SpeedPair kSpeeds[] = {
    {B1200, 1200},   {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
    {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
};

std::uint32_t BitsOf(speed_t code) {
  for (const auto& s : kSpeeds) {
    if (s.code == code) {
      return s.bits;
    }
  }
  return 0;
}

bool CodeOf(std::uint32_t bits, speed_t& code) {
  for (const auto& s : kSpeeds) {
    if (s.bits == bits) {
      code = s.code;
      return true;
    }
  }
  return false;
}

std::string Describe(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

int OpenPseudoTerminal(std::string& slavePath, std::string& error) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0) {
    error = Describe("cannot create a pseudo-terminal");
    return -1;
  }
  if (grantpt(master) != 0 || unlockpt(master) != 0) {
    error = Describe("cannot unlock the pseudo-terminal");
    close(master);
    return -1;
  }
  char name[256];
  if (ptsname_r(master, name, sizeof name) != 0) {
    error = Describe("cannot name the pseudo-terminal");
    close(master);
    return -1;
  }
  slavePath = name;
  return master;
}

int OpenDeviceTty(const std::string& path, std::uint32_t speed, std::string& error) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = Describe("cannot open " + path);
    return -1;
  }
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) {
    error = Describe(path + " is not a tty");
    close(fd);
    return -1;
  }
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  settings.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &settings) != 0 || !SetDeviceTtySpeed(fd, speed)) {
    error = Describe("cannot configure " + path);
    close(fd);
    return -1;
  }
  return fd;
}

bool SetDeviceTtySpeed(int fd, std::uint32_t speed) {
  speed_t code;
  termios settings{};
  if (!CodeOf(speed, code) || tcgetattr(fd, &settings) != 0) {
    return false;
  }
  cfsetispeed(&settings, code);
  cfsetospeed(&settings, code);
  return tcsetattr(fd, TCSADRAIN, &settings) == 0;
}

HostLineSettings ReadHostSettings(int masterFd) {
  HostLineSettings host;
  termios settings{};
  if (tcgetattr(masterFd, &settings) != 0) {
    return host;
  }
  host.speed = BitsOf(cfgetospeed(&settings));
  host.raw = (settings.c_lflag & (ECHO | ICANON)) == 0;
  return host;
}

}  // namespace zl::sim

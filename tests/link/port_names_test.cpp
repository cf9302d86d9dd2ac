#include "platform/port_names.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <optional>
#include <string>

namespace zl {
namespace {

// Sets or removes an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name))
      old_ = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

TEST(PortNamesTest, ComNamesMapToDevicesOtherNamesArePaths) {
  ScopedEnv env3("ZETALINK_COM3", nullptr);
  ScopedEnv env7("ZETALINK_COM7", "/dev/pts/42");
  ScopedEnv env8("ZETALINK_COM8", "");  // empty: not an override
  const PortOverrides overrides = {{"COM4", "/dev/ttyUSB0"}, {"COM7", "/dev/ttyACM0"}};
  struct Case {
    std::string name;
    std::string expected;
  };
  const Case cases[] = {
      {"\\\\.\\COM1", "/dev/ttyS0"},
      {"COM19", "/dev/ttyS18"},
      {"com3", "/dev/ttyS2"},
      {"\\\\.\\COM4", "/dev/ttyUSB0"},
      {"COM7", "/dev/pts/42"},
      {"COM8", "/dev/ttyS7"},
      {"/dev/ttyUSB1", "/dev/ttyUSB1"},
      {"COM", "COM"},
      {"COM0", "COM0"},
      {"COM1x", "COM1x"},
      {"\\\\.\\PIPE", "\\\\.\\PIPE"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PortDevicePath(c.name, overrides), c.expected) << c.name;
  }
  EXPECT_EQ(PortDevicePath("\\\\.\\COM4"), "/dev/ttyS3");
}

TEST(PortNamesTest, ListingShowsNineteenPortsAndWhichExist) {
  char path[] = "/tmp/zl-port-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  ScopedEnv env2("ZETALINK_COM2", nullptr);
  ScopedEnv env5("ZETALINK_COM5", nullptr);
  const auto ports = ListComPorts({{"COM2", path}, {"COM5", "/nonexistent/tty"}});
  ::unlink(path);
  ASSERT_EQ(ports.size(), 19u);
  EXPECT_EQ(ports[0].name, "COM1");
  EXPECT_EQ(ports[0].path, "/dev/ttyS0");
  EXPECT_EQ(ports[18].name, "COM19");
  EXPECT_EQ(ports[1].path, path);
  EXPECT_TRUE(ports[1].exists);
  EXPECT_EQ(ports[4].number, 5);
  EXPECT_FALSE(ports[4].exists);
}

}  // namespace
}  // namespace zl

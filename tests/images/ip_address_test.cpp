#include "images/ip_address.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace zl {
namespace {

struct IpCase {
  std::string text;
  std::uint32_t value;
};

void PrintTo(const IpCase& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

const IpCase kIpCases[] = {
    {"192.168.1.20", 0xC0A80114},
    {"0.0.0.0", 0},
    {"...", 0},
    {"1..3.4", 0x01000304},
    {"010.0.0.1", 0x0A000001},
    {"10.0.0.5", 0x0A000005},
    {"255.255.255.255", 0xFFFFFFFF},
    {"", kInvalidIpAddress},
    {"1.2.3", kInvalidIpAddress},
    {"1.2.3.4.", kInvalidIpAddress},
    {"1.2.3.4.5", kInvalidIpAddress},
    {"1.2.3.256", kInvalidIpAddress},
    {"1.2.3.0004", kInvalidIpAddress},
    {" 1.2.3.4", kInvalidIpAddress},
    {"1.2.3.4 ", kInvalidIpAddress},
    {"1,2,3,4", kInvalidIpAddress},
    {"999.0.0.0", kInvalidIpAddress},
    {"1.2.3.-4", kInvalidIpAddress},
};

class ParseIpAddressTest : public ::testing::TestWithParam<IpCase> {};

TEST_P(ParseIpAddressTest, Value) {
  EXPECT_EQ(ParseIpAddress(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseIpAddressTest, ::testing::ValuesIn(kIpCases));

}  // namespace
}  // namespace zl

#include "images/ip_address.h"

namespace zl {

std::uint32_t ParseIpAddress(const std::string& text) {
  std::uint32_t value = 0;
  int parts = 0;
  std::size_t position = 0;
  for (;;) {
    unsigned number = 0;
    int digits = 0;
    while (position < text.size() && text[position] >= '0' && text[position] <= '9') {
      if (++digits > 3) {
        return kInvalidIpAddress;
      }
      number = number * 10 + static_cast<unsigned>(text[position] - '0');
      ++position;
    }
    if (number > 255) {
      return kInvalidIpAddress;
    }
    value = value * 256 + number;
    ++parts;
    if (position == text.size()) {
      return parts == 4 ? value : kInvalidIpAddress;
    }
    if (text[position] != '.' || parts == 4) {
      return kInvalidIpAddress;
    }
    ++position;
  }
}

}  // namespace zl

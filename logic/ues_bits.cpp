#include "logic/ues_bits.h"

namespace zl {

std::string UesToBitText(const std::string& uesText) {
  std::string bits;
  bits.reserve(kUesBytes * 8);
  for (std::size_t p = 0; p < kUesBytes; ++p) {
    const unsigned code = p < uesText.size() ? static_cast<unsigned char>(uesText[p]) : 0U;
    for (int bit = 7; bit >= 0; --bit) {
      bits.push_back(((code >> bit) & 1U) != 0 ? '1' : '0');
    }
  }
  return bits;
}

}  // namespace zl

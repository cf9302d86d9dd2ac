#pragma once

#include <cstddef>
#include <string>

#include "platform/errors.h"

namespace zl {

// The character at `position` of a text. The position just past the last
// character reads as code 0, the end of the text; any position beyond it is
// an access past the end and throws InvalidArgumentError.
inline char CharAt(const std::string& text, std::size_t position) {
  if (position < text.size()) {
    return text[position];
  }
  if (position == text.size()) {
    return '\0';
  }
  throw InvalidArgumentError("text position " + std::to_string(position) +
                             " lies beyond the end of \"" + text + "\"");
}

}  // namespace zl

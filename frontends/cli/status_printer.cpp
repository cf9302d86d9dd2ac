#include "frontends/cli/status_printer.h"

#include <cctype>

namespace zl {

bool IsProgressText(const std::string& text) {
  static const std::string kTail = "% )";
  if (text.size() < kTail.size() ||
      text.compare(text.size() - kTail.size(), kTail.size(), kTail) != 0) {
    return false;
  }
  std::size_t pos = text.size() - kTail.size();
  const std::size_t digitsEnd = pos;
  while (pos > 0 && std::isdigit(static_cast<unsigned char>(text[pos - 1])))
    --pos;
  return pos < digitsEnd && pos >= 2 && text.compare(pos - 2, 2, "( ") == 0;
}

void StatusPrinter::Show(const std::string& text) {
  // The dialog clears its status line at start; a repeated text changes
  // nothing the user would see.
  if (text.empty() || text == last_)
    return;
  last_ = text;
  if (inPlace_ && IsProgressText(text)) {
    // Carriage return, the text, then erase what a longer text left behind.
    std::fprintf(out_, "\r%s\x1b[K", text.c_str());
    lineOpen_ = true;
  } else {
    EndLine();
    std::fprintf(out_, "%s\n", text.c_str());
  }
  std::fflush(out_);
}

void StatusPrinter::EndLine() {
  if (lineOpen_) {
    std::fputc('\n', out_);
    std::fflush(out_);
    lineOpen_ = false;
  }
}

}  // namespace zl

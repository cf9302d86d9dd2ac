#pragma once

#include <cstdio>
#include <string>

namespace zl {

// True for a progress text such as "Firmware: Programming Flash ... ( 42% )".
bool IsProgressText(const std::string& text);

// Prints status-line texts, one per line. On a terminal a run of progress
// texts shares one line that is rewritten in place. A text equal to the one
// just shown changes nothing on the status line and is not repeated.
class StatusPrinter {
 public:
  StatusPrinter(std::FILE* out, bool inPlace) : out_(out), inPlace_(inPlace) {}

  void Show(const std::string& text);

  // Ends a progress line that is being rewritten, so that other output
  // (a message box on stderr, a summary) starts on a fresh line.
  void EndLine();

 private:
  std::FILE* out_;
  bool inPlace_;
  bool lineOpen_ = false;
  std::string last_;
};

}  // namespace zl

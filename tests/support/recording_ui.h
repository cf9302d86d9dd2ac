#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/ui_services.h"

namespace zl::test {

struct RecordedBox {
  std::string text;
  std::string caption;  // as shown: the application title when none was given
  BoxButtons buttons;
  BoxIcon icon;
  int waitDepthWhenShown;  // the wait cursor's count while the box was up
};

// Records a box as shown and picks its answer: the next scripted one, else
// kIdNo for a question and kIdOk for any other box.
inline int RecordBox(std::vector<RecordedBox>& boxes, std::deque<int>& answers,
                     const std::string& text, const std::string& caption, BoxButtons buttons,
                     BoxIcon icon, int waitDepth) {
  boxes.push_back({text, caption.empty() ? kAppTitle : caption, buttons, icon, waitDepth});
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return buttons == BoxButtons::kYesNo ? kIdNo : kIdOk;
}

// Records every status text, box and wait-cursor change; answers boxes from
// a script (kIdYes/kIdNo for questions, kIdOk otherwise when the script is
// empty).
class RecordingUi : public UiServices {
 public:
  void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }

  int MessageBox(const std::string& text, const std::string& caption, BoxButtons buttons,
                 BoxIcon icon) override {
    return RecordBox(boxes, answers, text, caption, buttons, icon, waitDepth);
  }

  void BeginWaitCursor() override {
    ++waitDepth;
    ++waitBegins;
  }
  void EndWaitCursor() override {
    --waitDepth;
    ++waitEnds;
  }

  std::string LastStatus() const {
    return statusTexts.empty() ? std::string() : statusTexts.back();
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes)
      texts.push_back(box.text);
    return texts;
  }

  std::vector<std::string> statusTexts;
  std::vector<RecordedBox> boxes;
  std::deque<int> answers;
  int waitDepth = 0;
  int waitBegins = 0;
  int waitEnds = 0;
};

}  // namespace zl::test

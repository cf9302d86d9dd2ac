// The dialog base, its dispatch and the field exchange helpers.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dialog_framework.h"
#include "platform/errors.h"
#include "tests/support/fake_dialog_host.h"

namespace zl::test {
namespace {

constexpr int kButton = 10;
constexpr int kEdit = 11;
constexpr int kList = 12;

const DialogTemplate& SmallTemplate() {
  static const DialogTemplate small = [] {
    DialogTemplate t;
    t.id = 1;
    t.title = "small";
    ControlTemplate button;
    button.id = kButton;
    button.kind = ControlKind::kPushButton;
    ControlTemplate edit;
    edit.id = kEdit;
    edit.kind = ControlKind::kEdit;
    ControlTemplate list;
    list.id = kList;
    list.kind = ControlKind::kDropDownList;
    list.initialItems = {"a", "b"};
    t.controls = {button, edit, list};
    return t;
  }();
  return small;
}

// A dialog with one limited text and one list, whose button runs `action`.
class SmallDialog : public Dialog {
 public:
  SmallDialog() : Dialog(SmallTemplate()) {}
  bool ExchangeFields(bool saving) override {
    FieldExchange fx(Host(), saving);
    fx.ListIndex(kList, index);
    fx.Text(kEdit, text);
    fx.MaxChars(kEdit, text, 4);
    return !fx.Failed();
  }
  void HandleCommand(int id) override {
    if (id == kButton) {
      ++clicks;
      if (action)
        action(Host());
    } else {
      Dialog::HandleCommand(id);
    }
  }
  std::function<void(DialogHost&)> action;
  std::string text;
  int index = 1;
  int clicks = 0;
};

TEST(DialogDispatch, EscapedErrorsAreReportedAndTheWaitCursorRestored) {
  struct Case {
    const char* name;
    std::function<void()> fault;
    std::string expectedInBox;
  };
  const std::vector<Case> cases = {
      {"file error names the file", [] { throw FileError("/x/ZT7C32FW.102", "read failed"); },
       "/x/ZT7C32FW.102"},
      {"text past its end", [] { throw InvalidArgumentError("row too short"); }, "row too short"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SmallDialog dialog;
    FakeDialogHost host(dialog.Template());
    ASSERT_TRUE(host.Start(dialog));
    dialog.action = [&](DialogHost& h) {
      h.BeginWaitCursor();
      h.BeginWaitCursor();
      c.fault();
    };
    host.Click(kButton);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_NE(host.boxes[0].text.find(c.expectedInBox), std::string::npos);
    EXPECT_EQ(host.boxes[0].waitDepthWhenShown, 0);
    EXPECT_EQ(host.waitDepth, 0);
    // The dialog goes on running.
    dialog.action = nullptr;
    EXPECT_TRUE(host.Click(kButton));
    EXPECT_EQ(dialog.clicks, 2);
    EXPECT_FALSE(host.endCode.has_value());
  }
}

TEST(DialogDispatch, OkEndsOnlyAfterAGoodExchangeAndCancelAlways) {
  SmallDialog dialog;
  dialog.text = "abcdef";  // loaded in full, above the limit of 4
  FakeDialogHost host(dialog.Template());
  ASSERT_TRUE(host.Start(dialog));
  EXPECT_EQ(host.Control(kList).items, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(host.ListSelection(kList), 1);
  EXPECT_EQ(host.Text(kEdit), "abcdef");

  host.Choose(kList, 0);
  host.Click(kIdOk);
  EXPECT_FALSE(host.endCode.has_value());
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{"Please enter no more than 4 characters."});
  EXPECT_EQ(host.focus, kEdit);
  EXPECT_EQ(dialog.index, 0);  // transferred before the failing check

  host.Type(kEdit, "abcdef");
  EXPECT_EQ(host.Text(kEdit), "abcd");
  host.Click(kIdOk);
  EXPECT_EQ(host.endCode, kIdOk);
  EXPECT_EQ(dialog.text, "abcd");

  SmallDialog other;
  other.text = "way too long";
  FakeDialogHost otherHost(other.Template());
  ASSERT_TRUE(otherHost.Start(other));
  otherHost.Click(kIdCancel);
  EXPECT_EQ(otherHost.endCode, kIdCancel);
  EXPECT_TRUE(otherHost.boxes.empty());
}

TEST(FieldExchangeLength, CountsCharactersNotBytes) {
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength("abcd"), 4);
  EXPECT_EQ(TextLength("\xC3\xA4\xC3\xB6\xC3\xBC\xE2\x82\xAC"), 4);  // three umlauts, euro
}

}  // namespace
}  // namespace zl::test

// The services the Qt window gives the dialog logic: status line, boxes,
// wait cursor, the edit limit, the window menu, Enter, Esc and the close box.

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include "app/dialog_templates.h"
#include "app/resource_ids.h"
#include "tests/qt/dialog_fixture.h"

namespace zl::test {
namespace {

// Records the text a label shows each time it is painted.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QLabel* label) : label_(label) { label->installEventFilter(this); }
  QStringList painted;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == label_ && event->type() == QEvent::Paint)
      painted << label_->text();
    return false;
  }

 private:
  QLabel* label_;
};

using DialogHostTest = QtDialogTest;

TEST_F(DialogHostTest, StatusTextIsPaintedAtOnceWithoutTheEventLoop) {
  Open();
  QApplication::processEvents();
  PaintRecorder recorder(Control<QLabel>(IDC_STATUS));
  // No event is processed between the writes, as during a workflow.
  window_->SetStatusText("Firmware: Erasing Flash ...");
  window_->SetStatusText("Firmware: Programming Flash ...");
  EXPECT_EQ(recorder.painted,
            QStringList({"Firmware: Erasing Flash ...", "Firmware: Programming Flash ..."}));
}

TEST_F(DialogHostTest, TextsFromTheDeviceAreShownAsPlainText) {
  Open();
  window_->SetControlText(IDC_SERIAL, "<b>12&34</b>");
  EXPECT_EQ(Control<QLabel>(IDC_SERIAL)->textFormat(), Qt::PlainText);
  EXPECT_EQ(window_->ControlText(IDC_SERIAL), "<b>12&34</b>");
}

TEST_F(DialogHostTest, MessageBoxesCarryCaptionIconButtonsAndDefault) {
  Open();
  struct Case {
    const char* caption;
    BoxButtons buttons;
    BoxIcon icon;
    QMessageBox::StandardButton press;
    const char* shownTitle;
    QMessageBox::Icon shownIcon;
    QMessageBox::StandardButtons shownButtons;
    QMessageBox::StandardButton shownDefault;
    int result;
  };
  const auto kReturn = ModalAnswerer::kPressReturn;
  const auto kEscape = ModalAnswerer::kPressEscape;
  const Case cases[] = {
      {"", BoxButtons::kOk, BoxIcon::kNone, kReturn, "zetaLink", QMessageBox::NoIcon,
       QMessageBox::Ok, QMessageBox::Ok, kIdOk},
      {"Error", BoxButtons::kOk, BoxIcon::kExclamation, kEscape, "Error", QMessageBox::Warning,
       QMessageBox::Ok, QMessageBox::Ok, kIdOk},
      {"", BoxButtons::kYesNo, BoxIcon::kQuestion, kReturn, "zetaLink", QMessageBox::Question,
       QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, kIdYes},
      {"", BoxButtons::kYesNo, BoxIcon::kQuestion, QMessageBox::No, "zetaLink",
       QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, kIdNo},
      {"", BoxButtons::kYesNo, BoxIcon::kQuestion, kEscape, "zetaLink", QMessageBox::Question,
       QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, kIdNo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shownTitle);
    answerer_.boxes.clear();
    answerer_.answers = {c.press};
    EXPECT_EQ(window_->MessageBox("Erase <b>Flash</b>?", c.caption, c.buttons, c.icon), c.result);
    ASSERT_EQ(answerer_.boxes.size(), 1u);
    const SeenBox& box = answerer_.boxes[0];
    EXPECT_EQ(box.title, c.shownTitle);
    EXPECT_EQ(box.text, "Erase <b>Flash</b>?");
    EXPECT_EQ(box.icon, c.shownIcon);
    EXPECT_EQ(box.buttons, c.shownButtons);
    EXPECT_EQ(box.defaultButton, c.shownDefault);
  }
}

TEST_F(DialogHostTest, WaitCursorIsCountedAndFullyRestored) {
  Open();
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  window_->BeginWaitCursor();
  window_->BeginWaitCursor();
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  window_->EndWaitCursor();
  EXPECT_NE(QApplication::overrideCursor(), nullptr) << "an inner end keeps the cursor";
  window_->EndWaitCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  window_->EndWaitCursor();  // one end too many changes nothing
  EXPECT_EQ(window_->WaitCursorDepth(), 0);

  window_->BeginWaitCursor();
  window_->BeginWaitCursor();
  window_.reset();  // a window that goes away takes its cursor with it
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(DialogHostTest, AddressFieldsRefuseTypingBeyondFifteenCharacters) {
  Open();
  auto* ip = Control<QLineEdit>(IDC_IP);
  ip->clear();
  ip->setFocus();
  QTest::keyClicks(ip, "123.123.123.1234567");
  EXPECT_EQ(ip->text(), "123.123.123.123");
  // Replacing a selection within the limit still works.
  ip->selectAll();
  QTest::keyClicks(ip, "10.0.0.1");
  EXPECT_EQ(ip->text(), "10.0.0.1");
}

TEST_F(DialogHostTest, LongerLoadedTextIsShownInFullButRefusedBySaving) {
  dialog_.m_strSubnet = "255.255.255.0.00000";  // 19 characters, as stored
  Open();
  auto* subnet = Control<QLineEdit>(IDC_SUBNET);
  EXPECT_EQ(subnet->text(), "255.255.255.0.00000");
  subnet->setFocus();
  subnet->end(false);
  QTest::keyClicks(subnet, "7");
  EXPECT_EQ(subnet->text(), "255.255.255.0.00000") << "no more characters";
  QTest::keyClick(subnet, Qt::Key_Backspace);
  EXPECT_EQ(subnet->text(), "255.255.255.0.0000") << "but shortening works";

  Click(IDOK);
  EXPECT_EQ(answerer_.Texts(), QStringList({"Please enter no more than 15 characters."}));
  ASSERT_EQ(answerer_.boxes.size(), 1u);
  EXPECT_EQ(answerer_.boxes[0].icon, QMessageBox::Warning);
  EXPECT_FALSE(window_->Ended());
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(window_->focusWidget(), subnet);
  EXPECT_EQ(subnet->selectedText(), subnet->text());
}

TEST_F(DialogHostTest, EnterInAnEditFieldPressesOk) {
  Open();
  auto* ip = Control<QLineEdit>(IDC_IP);
  ip->setFocus();
  QTest::keyClick(ip, Qt::Key_Return);
  EXPECT_TRUE(window_->Ended());
  EXPECT_EQ(window_->EndCode(), kIdOk);
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(DialogHostTest, EscapeAndTheCloseBoxActAsCancel) {
  Open();
  QTest::keyClick(window_.get(), Qt::Key_Escape);
  EXPECT_EQ(window_->EndCode(), kIdCancel);
  EXPECT_FALSE(window_->isVisible());

  Open();
  EXPECT_TRUE(window_->close());
  EXPECT_EQ(window_->EndCode(), kIdCancel);
}

// A dialog whose Cancel handling refuses to end it.
class StubbornDialog : public Dialog {
 public:
  StubbornDialog() : Dialog(AboutBoxTemplate()) {}
  void HandleCancel() override { ++cancels; }
  int cancels = 0;
};

TEST(DialogWindowTest, CloseBoxIsRefusedWhenCancelDoesNotEndTheDialog) {
  StubbornDialog dialog;
  qt::DialogWindow window(dialog);
  ASSERT_TRUE(window.Start());
  window.Show();
  EXPECT_FALSE(window.close());
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(dialog.cancels, 1);
  EXPECT_FALSE(window.Ended());
}

TEST_F(DialogHostTest, ContextMenuOffersTheAboutBox) {
  Open();
  QStringList menuTexts;
  answerer_.onOtherModal = [](QWidget*) { return false; };
  QString aboutTitle;
  QString versionText;
  QString variantText;
  bool variantBelowVersion = false;
  // The menu is a popup, not a modal window: look for it separately.
  QTimer menuPoll;
  menuPoll.setInterval(10);
  QObject::connect(&menuPoll, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr)
      return;
    for (QAction* action : menu->actions())
      menuTexts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    menu->setActiveAction(menu->actions().last());
    QTest::keyClick(menu, Qt::Key_Return);
  });
  menuPoll.start();
  answerer_.onOtherModal = [&](QWidget* modal) {
    auto* about = dynamic_cast<qt::DialogWindow*>(modal);
    if (about == nullptr || about == window_.get())
      return false;
    aboutTitle = about->windowTitle();
    QLabel* variant = dynamic_cast<QLabel*>(about->ControlWidget(IDC_VARIANT));
    for (QLabel* label : about->findChildren<QLabel*>()) {
      if (label->text() == "Zeta7 Setup Version 1.02") {
        versionText = label->text();
        variantBelowVersion =
            variant != nullptr && variant->y() > label->y() && variant->x() == label->x();
      }
    }
    variantText = variant != nullptr ? variant->text() : QString();
    QTest::keyClick(about, Qt::Key_Escape);
    return true;
  };

  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                          window_->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(window_.get(), &event);

  EXPECT_EQ(menuTexts, QStringList({"-", "&About zetaLink Setup..."}));
  EXPECT_EQ(aboutTitle, "About zetaLink Setup");
  EXPECT_EQ(versionText, "Zeta7 Setup Version 1.02");
  EXPECT_EQ(variantText, "CPU32");
  EXPECT_TRUE(variantBelowVersion);
  EXPECT_FALSE(window_->Ended()) << "closing the About box leaves the dialog running";
}

}  // namespace
}  // namespace zl::test

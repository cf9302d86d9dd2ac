#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

namespace zl::test {

// A message box as the user saw it.
struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  bool overrideCursorShown = false;  // a wait cursor was up while the box was
};

// Answers the modal windows a workflow opens while the test's click is
// still running: it polls for the active modal widget, records message
// boxes and presses the scripted answer (Return for the default button when
// the script is empty). Other modal windows go to `onOtherModal`, which
// returns true when it dealt with them.
class ModalAnswerer {
 public:
  // Press Return (the default button) rather than click a given button.
  static constexpr QMessageBox::StandardButton kPressReturn = QMessageBox::NoButton;
  // Press Escape.
  static constexpr QMessageBox::StandardButton kPressEscape = QMessageBox::Escape;

  ModalAnswerer() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }

  std::deque<QMessageBox::StandardButton> answers;
  std::vector<SeenBox> boxes;
  std::function<bool(QWidget*)> onOtherModal;

  QStringList Texts() const {
    QStringList texts;
    for (const SeenBox& box : boxes)
      texts << box.text;
    return texts;
  }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == handling_)
      return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      handling_ = box;
      SeenBox seen;
      seen.title = box->windowTitle();
      seen.text = box->text();
      seen.icon = box->icon();
      seen.buttons = box->standardButtons();
      if (box->defaultButton() != nullptr)
        seen.defaultButton = box->standardButton(box->defaultButton());
      seen.overrideCursorShown = QApplication::overrideCursor() != nullptr;
      boxes.push_back(seen);
      QMessageBox::StandardButton answer = kPressReturn;
      if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
      }
      if (answer == kPressReturn) {
        QTest::keyClick(box, Qt::Key_Return);
      } else if (answer == kPressEscape) {
        QTest::keyClick(box, Qt::Key_Escape);
      } else if (QAbstractButton* button = box->button(answer)) {
        button->click();
      }
      handling_ = nullptr;
      return;
    }
    if (onOtherModal) {
      handling_ = modal;
      onOtherModal(modal);
      handling_ = nullptr;
    }
  }

  QTimer timer_;
  QWidget* handling_ = nullptr;
};

}  // namespace zl::test

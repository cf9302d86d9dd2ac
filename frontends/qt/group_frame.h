#pragma once

#include <QGroupBox>

namespace zl::qt {

// A group box drawn the way dialog templates expect: the frame's top line
// runs through the middle of the title, and the frame holds no children
// (the controls it frames are the dialog's own, laid out in dialog units).
class GroupFrame final : public QGroupBox {
 public:
  GroupFrame(const QString& title, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace zl::qt

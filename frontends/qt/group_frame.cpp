#include "frontends/qt/group_frame.h"

#include <QPainter>
#include <QStyle>

namespace zl::qt {

GroupFrame::GroupFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
  setFocusPolicy(Qt::NoFocus);
}

void GroupFrame::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QFontMetrics metrics = fontMetrics();
  const int lineY = metrics.height() / 2;

  // An etched frame: a dark line with a light one just inside it.
  const QRect outer(0, lineY, width() - 2, height() - lineY - 2);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(outer);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(outer.translated(1, 1));

  const QString text = title();
  if (text.isEmpty())
    return;
  // The title sits on the line, on the window's background, one average
  // character in from the left edge.
  const int indent = metrics.averageCharWidth();
  const int padding = 2;
  const QRect textRect(indent + padding, 0, metrics.horizontalAdvance(text, Qt::TextShowMnemonic),
                       metrics.height());
  painter.fillRect(textRect.adjusted(-padding, 0, padding, 0), palette().window());
  style()->drawItemText(&painter, textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                        palette(), isEnabled(), text, QPalette::WindowText);
}

}  // namespace zl::qt

#include "frontends/qt/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>

namespace zl::qt {

namespace {

// a * b / c rounded to the nearest integer, half away from zero.
int MulDivRound(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  const long long half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

DialogBaseUnits MeasureBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  DialogBaseUnits units;
  units.charWidth = (letters / 26 + 1) / 2;
  units.charHeight = metrics.height();
  if (units.charWidth < 1)
    units.charWidth = 1;
  if (units.charHeight < 1)
    units.charHeight = 1;
  return units;
}

int DluToPixelsX(int dlu, const DialogBaseUnits& units) {
  return MulDivRound(dlu, units.charWidth, 4);
}

int DluToPixelsY(int dlu, const DialogBaseUnits& units) {
  return MulDivRound(dlu, units.charHeight, 8);
}

QRect DluRectToPixels(int x, int y, int width, int height, const DialogBaseUnits& units) {
  const int left = DluToPixelsX(x, units);
  const int top = DluToPixelsY(y, units);
  const int right = DluToPixelsX(x + width, units);
  const int bottom = DluToPixelsY(y + height, units);
  return QRect(left, top, right - left, bottom - top);
}

QFont TemplateFont(const QString& family, int pointSize) {
  QFont font = QGuiApplication::font();
  if (QFontDatabase::families().contains(family, Qt::CaseInsensitive))
    font.setFamily(family);
  if (pointSize > 0)
    font.setPointSize(pointSize);
  return font;
}

}  // namespace zl::qt

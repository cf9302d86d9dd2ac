#pragma once

#include <QFont>
#include <QRect>

namespace zl::qt {

// The dialog base units of a font: the average character width and the
// character height in pixels. Dialog templates give positions in quarters of
// the width and eighths of the height.
struct DialogBaseUnits {
  int charWidth = 0;
  int charHeight = 0;
};

// The base units of a font, measured the way dialog templates expect: the
// average width of the 52 Latin letters, rounded, and the font's line height.
DialogBaseUnits MeasureBaseUnits(const QFont& font);

// Converts a horizontal or vertical length in dialog units to pixels,
// rounded to the nearest pixel.
int DluToPixelsX(int dlu, const DialogBaseUnits& units);
int DluToPixelsY(int dlu, const DialogBaseUnits& units);

// Converts a rectangle (x, y, width, height in dialog units) to pixels. The
// far edges are converted as positions, so that neighbouring controls that
// touch in dialog units also touch in pixels.
QRect DluRectToPixels(int x, int y, int width, int height, const DialogBaseUnits& units);

// The font a template names at its point size; where that family is not
// installed, the application's font at the template's point size.
QFont TemplateFont(const QString& family, int pointSize);

}  // namespace zl::qt

#pragma once

#include <QIcon>
#include <QPixmap>

namespace zl::qt {

// Icon 128 of the program: a chip with a serial lead-in and a lightning "Z",
// drawn in code so that it scales cleanly to every size.
QPixmap DrawAppIcon(int size);

// The icon at the sizes window systems ask for (16 to 256 pixels).
QIcon AppIcon();

// The icon of an icon resource id; a null icon for an id the program lacks.
QIcon IconResource(int resourceId);

}  // namespace zl::qt

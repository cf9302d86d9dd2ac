#pragma once

#include <string>
#include <vector>

namespace zl {

// The id of a control that is never addressed by the program (labels, frames).
inline constexpr int kIdStatic = -1;

// A rectangle in dialog units: x from the average character width / 4,
// y from the character height / 8 of the dialog's font.
struct DluRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

enum class ControlKind {
  kGroupBox,       // a frame with a title
  kStatic,         // read-only text (labels and display fields)
  kPushButton,     // a button
  kDefPushButton,  // the default button, pressed by Enter
  kEdit,           // a one-line edit field
  kDropDownList,   // a list that drops down; no typed text
  kIcon,           // an icon resource, drawn at its rectangle
};

enum class TextAlign { kLeft, kCentre, kRight };

// One control of a dialog template, in template (and tab) order.
struct ControlTemplate {
  int id = kIdStatic;
  ControlKind kind = ControlKind::kStatic;
  std::string text;  // the template text; the title of a frame or button
  DluRect rect;      // for a drop-down list the height includes the open list
  TextAlign align = TextAlign::kLeft;
  bool border = false;                    // edit field with a border
  bool autoHScroll = false;               // edit field scrolls horizontally
  bool verticalScroll = false;            // list with a vertical scroll bar
  bool sorted = false;                    // list kept sorted
  int iconResource = 0;                   // for kIcon: the icon resource id
  std::vector<std::string> initialItems;  // initial data of a list, index 0 first
};

// A dialog template: the window and its controls.
struct DialogTemplate {
  int id = 0;
  std::string title;
  DluRect rect;  // position and size of the dialog in dialog units
  std::string fontName;
  int fontPoints = 8;
  bool caption = true;
  bool systemMenu = true;
  bool modalFrame = true;
  bool centred = false;
  bool minimiseBox = false;
  bool maximiseBox = false;
  // The control that shows the status line, or kIdStatic when the dialog has
  // none. Status texts written through the dialog's UiServices land there.
  int statusControl = kIdStatic;
  std::vector<ControlTemplate> controls;

  // The control with this id, or nullptr.
  const ControlTemplate* FindControl(int controlId) const {
    for (const auto& control : controls) {
      if (control.id == controlId && controlId != kIdStatic)
        return &control;
    }
    return nullptr;
  }
};

}  // namespace zl

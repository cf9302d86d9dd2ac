#pragma once

#include "platform/dialog_template.h"

namespace zl {

// The main dialog IDD_MAIN and the About box IDD_ABOUTBOX.
const DialogTemplate& MainDialogTemplate();
const DialogTemplate& AboutBoxTemplate();

}  // namespace zl

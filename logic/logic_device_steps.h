#pragma once

#include "link/loader_link.h"
#include "platform/ui_services.h"

namespace zl {

// The small EPLD steps shared by the Update and Erase workflows. Each
// returns true on success and false after it has shown its failure box; the
// wait cursor is ended before any box.

// Enters the logic programming mode.
bool EnterLogicMode(UiServices& ui, LoaderLink& link);

// Leaves the logic programming mode; harmless when it was never entered.
bool LeaveLogicMode(UiServices& ui, LoaderLink& link);

// Reads the EPLD's device type and accepts only kLogicDeviceType.
bool CheckLogicDevice(UiServices& ui, LoaderLink& link);

// Bulk-erases the EPLD.
bool EraseLogic(UiServices& ui, LoaderLink& link);

}  // namespace zl

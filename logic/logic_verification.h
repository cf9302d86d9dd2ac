#pragma once

#include <string>

#include "link/loader_link.h"
#include "logic/fuse_map.h"
#include "platform/ui_services.h"

namespace zl {

// Reads every row (programmed and erased reading) and then the UES back from
// the EPLD and compares them with what was programmed. Stops at the first
// difference; returns false after the failure box was shown. Changes nothing
// in the device.
bool VerifyLogic(UiServices& ui, LoaderLink& link, const FuseMap& fuses,
                 const std::string& uesText);

}  // namespace zl

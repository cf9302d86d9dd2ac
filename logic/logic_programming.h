#pragma once

#include <string>

#include "link/loader_link.h"
#include "logic/fuse_map.h"
#include "platform/ui_services.h"

namespace zl {

// Writes the 134 fuse rows and then the UES into the EPLD, showing progress
// in the status line. The logic mode must be on and the EPLD erased. Returns
// false after the failure box was shown; a failed command is not repeated.
bool ProgramLogic(UiServices& ui, LoaderLink& link, const FuseMap& fuses,
                  const std::string& uesText);

}  // namespace zl

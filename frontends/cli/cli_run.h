#pragma once

#include "frontends/cli/cli_options.h"

namespace zl {

// Runs zetalink-cli with parsed options: connects through the main dialog's
// Connect workflow, runs the commands in order on the same dialog logic,
// starts the firmware as the dialog's Cancel does, and returns the exit
// status.
int RunCli(const CliOptions& options);

}  // namespace zl

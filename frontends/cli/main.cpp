#include "frontends/cli/cli_options.h"
#include "frontends/cli/cli_run.h"

int main(int argc, char** argv) {
  zl::CliOptions options;
  if (const auto status = zl::ParseCommandLine(argc, argv, options))
    return *status;
  return zl::RunCli(options);
}

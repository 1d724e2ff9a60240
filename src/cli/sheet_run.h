#pragma once

#include "cli/cli_run.h"

namespace quiltmap::cli {

struct CliOptions;

// Composes the folder once as the options ask and writes the outputs. Throws quiltmap::Error
// with the message to print after "quiltmap: ".
int runSheet(const CliOptions &options, Console console);

} // namespace quiltmap::cli

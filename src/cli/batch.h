// The command line's many-journal form: journals converted side by side,
// each by a conversion of its own, one line per journal as it ends.
#pragma once

#include <cstddef>
#include <cstdio>

#include "cli/command_line.h"
#include "common/vocabulary.h"

namespace z917::cli {

// Converts every journal of `line` (Action::ConvertMany) into its output,
// taking them in order, driver::BatchJobs at once. As each ends prints its name and
// its messages joined in one message: on `out` when converted, on `err`
// otherwise; then how many converted. An interrupt stops the running ones
// and starts no more. Answers 0 when all converted, the interrupt's status
// after a stop, 1 otherwise or when a line could not be printed.
int RunBatch(const CommandLine& line, std::FILE* out, std::FILE* err);

}  // namespace z917::cli

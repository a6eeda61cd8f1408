// The command line's many-journal form: journals converted side by side,
// each by a conversion of its own, one line per journal as it ends.
#pragma once

#include <cstddef>
#include <cstdio>

#include "cli/command_line.h"
#include "common/vocabulary.h"

namespace z917::cli {

// How many of `journals` journals of `kind` to convert at once: `requested`,
// or one per core for 0, never more than the journals; one when the
// workbooks go to an Excel in another process, which serves one at a time.
unsigned BatchJobs(unsigned requested, std::size_t journals, OutputKind kind);

// Converts every journal of `line` (Action::ConvertMany) into its output,
// taking them in order, BatchJobs at once. As each ends prints its name and
// its messages joined in one message: on `out` when converted, on `err`
// otherwise; then how many converted. An interrupt stops the running ones
// and starts no more. Answers 0 when all converted, the interrupt's status
// after a stop, 1 otherwise or when a line could not be printed.
int RunBatch(const CommandLine& line, std::FILE* out, std::FILE* err);

}  // namespace z917::cli

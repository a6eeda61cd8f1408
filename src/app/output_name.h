// The output file name the save dialog proposes for a picked journal.
#pragma once

#include <cstdint>
#include <string>

// FileNameOf and ProposedOutputName, shared with the command line.
#include "common/file_name.h"

namespace z917::app {

// ".xlsx" for an Excel of major version 12 or later, ".xls" otherwise
// (also for 0, an Excel whose version could not be read).
std::string ExcelExtensionFor(std::uint32_t excelVersion);

}  // namespace z917::app

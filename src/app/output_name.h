// The output file name the save dialog proposes for a picked journal.
#pragma once

#include <cstdint>
#include <string>

#include "common/file_name.h"

namespace z917::app {

// ".xlsx" for an Excel of major version 12 or later, ".xls" otherwise
// (also for 0, an Excel whose version could not be read).
std::string ExcelExtensionFor(std::uint32_t excelVersion);

// The journal's own folder and name with another extension; shared with
// the command line.
using z917::FileNameOf;
using z917::ProposedOutputName;

}  // namespace z917::app

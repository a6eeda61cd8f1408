// The output file name the save dialog proposes for a picked journal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace z917::app {

// ".xlsx" for an Excel of major version 12 or later, ".xls" otherwise
// (also for 0, an Excel whose version could not be read).
std::string ExcelExtensionFor(std::uint32_t excelVersion);

// `journalPath` with the last extension of its file name replaced by
// `extension` (".xml"), or with `extension` appended when the file name
// has no full stop. Dots in folder names are not extensions; '/' and, on
// Windows, '\' separate folders.
std::string ProposedOutputName(std::string_view journalPath, std::string_view extension);

// The file name at the end of `path`, for showing; empty when `path` ends
// in a folder separator.
std::string_view FileNameOf(std::string_view path);

}  // namespace z917::app

// Proposed output names: the journal's own path and name, another extension.
#include "app/output_name.h"

namespace z917::app {

namespace {

#ifdef _WIN32
constexpr std::string_view kFolderSeparators = "/\\";
#else
// Elsewhere a backslash is an ordinary character of a file name.
constexpr std::string_view kFolderSeparators = "/";
#endif

}  // namespace

std::string ExcelExtensionFor(std::uint32_t excelVersion) {
  return excelVersion > 11 ? ".xlsx" : ".xls";
}

std::string ProposedOutputName(std::string_view journalPath, std::string_view extension) {
  const std::size_t separator = journalPath.find_last_of(kFolderSeparators);
  const std::size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
  const std::size_t dot = journalPath.rfind('.');
  const std::size_t stemEnd =
      dot != std::string_view::npos && dot >= nameStart ? dot : journalPath.size();
  std::string proposed(journalPath.substr(0, stemEnd));
  proposed += extension;
  return proposed;
}

}  // namespace z917::app

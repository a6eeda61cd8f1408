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

std::string_view FileNameOf(std::string_view path) {
  const std::size_t separator = path.find_last_of(kFolderSeparators);
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string ProposedOutputName(std::string_view journalPath, std::string_view extension) {
  const std::size_t nameStart = journalPath.size() - FileNameOf(journalPath).size();
  const std::size_t dot = journalPath.rfind('.');
  const std::size_t stemEnd =
      dot != std::string_view::npos && dot >= nameStart ? dot : journalPath.size();
  std::string proposed(journalPath.substr(0, stemEnd));
  proposed += extension;
  return proposed;
}

}  // namespace z917::app

// File names within paths given as UTF-8 text, for proposing output names
// beside a journal or in a folder of the user's.
#pragma once

#include <string>
#include <string_view>

namespace z917 {

#ifdef _WIN32
inline constexpr std::string_view kFolderSeparators = "/\\";
inline constexpr char kFolderSeparator = '\\';
#else
// Elsewhere a backslash is an ordinary character of a file name.
inline constexpr std::string_view kFolderSeparators = "/";
inline constexpr char kFolderSeparator = '/';
#endif

// The file name at the end of `path`, for showing; empty when `path` ends
// in a folder separator.
inline std::string_view FileNameOf(std::string_view path) {
  const std::size_t separator = path.find_last_of(kFolderSeparators);
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// `journalPath` with the last extension of its file name replaced by
// `extension` (".xml"), or with `extension` appended when the file name
// has no full stop. Dots in folder names are not extensions; '/' and, on
// Windows, '\' separate folders.
inline std::string ProposedOutputName(std::string_view journalPath, std::string_view extension) {
  const std::size_t nameStart = journalPath.size() - FileNameOf(journalPath).size();
  const std::size_t dot = journalPath.rfind('.');
  const std::size_t stemEnd =
      dot != std::string_view::npos && dot >= nameStart ? dot : journalPath.size();
  std::string proposed(journalPath.substr(0, stemEnd));
  proposed += extension;
  return proposed;
}

}  // namespace z917

// The system's dialogs, set up anew before every run.
#include "app/win32/file_dialogs.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "platform/win32/wide_text.h"

namespace z917::app::win32 {

namespace {

// Room for the longest path the system takes.
constexpr std::size_t kPathRoom = 32768;

// Hide the read-only check box, resizable, the current folder unchanged.
constexpr DWORD kCommonFlags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;

// "name|pattern" as the dialog takes it: each part ended by a NUL, the
// list by a second one.
std::wstring DialogFilter(FileFilter filter) {
  std::wstring text = platform::WideFromUtf8(FilterText(filter));
  std::replace(text.begin(), text.end(), L'|', L'\0');
  text.push_back(L'\0');
  return text;
}

}  // namespace

DialogOutcome SystemOpenDialog(OPENFILENAMEW& dialog) {
  if (::GetOpenFileNameW(&dialog)) return {true, 0};
  return {false, ::CommDlgExtendedError()};
}

DialogOutcome SystemSaveDialog(OPENFILENAMEW& dialog) {
  if (::GetSaveFileNameW(&dialog)) return {true, 0};
  return {false, ::CommDlgExtendedError()};
}

std::string FilterText(FileFilter filter) {
  switch (filter) {
    case FileFilter::Journal:
      return "Журнал Z917 (*.bin)|*.bin";
    case FileFilter::ExcelWorkbook:
      return "Книга Excel (*.xls,*.xlsx)|*.xls;*.xlsx";
    case FileFilter::Xml:
      return "Файлы XML (*.xml)|*.xml";
  }
  return {};
}

std::optional<std::string> Win32FileDialogs::RunOpen(const FileDialogRequest& request) {
  return Run(open_, request, kCommonFlags | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
}

std::optional<std::string> Win32FileDialogs::RunSave(const FileDialogRequest& request) {
  return Run(save_, request, kCommonFlags | OFN_OVERWRITEPROMPT);
}

std::optional<std::string> Win32FileDialogs::Run(const DialogFunction& dialog,
                                                 const FileDialogRequest& request,
                                                 DWORD flags) const {
  const std::wstring filter = DialogFilter(request.filter);
  const std::wstring suffix = platform::WideFromUtf8(request.defaultSuffix);
  // The proposed full path opens the dialog in its folder with its name.
  std::vector<wchar_t> file(kPathRoom, L'\0');
  const std::wstring proposed = platform::WideFromUtf8(request.fileName);
  std::copy_n(proposed.begin(), std::min(proposed.size(), kPathRoom - 1), file.begin());

  OPENFILENAMEW setup{};
  setup.lStructSize = sizeof setup;
  setup.hwndOwner = owner_;
  setup.lpstrFilter = filter.c_str();
  setup.nFilterIndex = 1;
  setup.lpstrFile = file.data();
  setup.nMaxFile = static_cast<DWORD>(file.size());
  // Empty: a name typed without an extension is taken as typed.
  setup.lpstrDefExt = suffix.empty() ? nullptr : suffix.c_str();
  setup.Flags = flags;
  const DialogOutcome outcome = dialog(setup);
  if (outcome.chosen) return platform::Utf8FromWide(file.data());
  // A dialog that could not even show is not the user's cancel.
  if (outcome.error != 0) {
    throw std::runtime_error("Не удалось показать окно выбора файла (код ошибки " +
                             std::to_string(outcome.error) + ")");
  }
  return std::nullopt;
}

}  // namespace z917::app::win32

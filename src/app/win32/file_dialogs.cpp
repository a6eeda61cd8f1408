// The system's dialogs, set up anew before every run.
#include "app/win32/file_dialogs.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <stdexcept>

#include "app/win32/message_boxes.h"
#include "platform/path_checks.h"
#include "platform/win32/wide_text.h"

namespace z917::app::win32 {

namespace {

// Room for the longest path the system takes, and for many names at once.
constexpr std::size_t kPathRoom = 32768;

// Hide the read-only check box, resizable, the current folder unchanged.
constexpr DWORD kCommonFlags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;

constexpr wchar_t kFolderTitle[] = L"Папка для результатов";

// "name|pattern" as the dialog takes it: each part ended by a NUL, the
// list by a second one.
std::wstring DialogFilter(FileFilter filter) {
  std::wstring text = platform::WideFromUtf8(FilterText(filter));
  std::replace(text.begin(), text.end(), L'|', L'\0');
  text.push_back(L'\0');
  return text;
}

// What a dialog that allows several files left in `buffer`: one full path,
// or, when the NUL before the first name at `nameStart` says so, the folder
// and then each file name in it; each ended by a NUL, the list by a second
// one. A single path may have the rest of a longer proposed name behind it.
std::vector<std::string> ChosenPaths(const wchar_t* buffer, WORD nameStart) {
  const std::string first = platform::Utf8FromWide(buffer);
  if (nameStart == 0 || buffer[nameStart - 1] != L'\0') return {first};
  std::vector<std::string> paths;
  for (const wchar_t* name = buffer + nameStart; *name != L'\0'; name += std::wcslen(name) + 1) {
    paths.push_back(platform::InFolder(first, platform::Utf8FromWide(name)));
  }
  return paths;
}

// A dialog that could not even show is not the user's cancel.
[[noreturn]] void ThrowNotShown(const char* what, const std::string& code) {
  throw std::runtime_error(std::string("Не удалось показать окно выбора ") + what +
                           " (код ошибки " + code + ")");
}

struct Releaser {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using Owned = std::unique_ptr<Interface, Releaser>;

int CALLBACK StartBrowsingIn(HWND browser, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED) ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}

// The older folder tree, where IFileOpenDialog cannot be made.
DialogOutcome BrowseForFolder(HWND owner, const std::wstring& start, std::wstring& folder) {
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.lpszTitle = kFolderTitle;
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  browse.lpfn = &StartBrowsingIn;
  browse.lParam = reinterpret_cast<LPARAM>(start.c_str());
  const PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
  if (chosen == nullptr) return {};
  std::vector<wchar_t> path(kPathRoom, L'\0');
  const BOOL named =
      ::SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
  ::CoTaskMemFree(chosen);
  if (!named) return {false, static_cast<DWORD>(E_FAIL)};
  folder = path.data();
  return {true, 0};
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

DialogOutcome SystemFolderDialog(HWND owner, const std::wstring& start, std::wstring& folder) {
  IFileOpenDialog* created = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&created)))) {
    return BrowseForFolder(owner, start, folder);
  }
  const Owned<IFileOpenDialog> dialog(created);
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog->SetTitle(kFolderTitle);
  IShellItem* startItem = nullptr;
  // A start that is gone leaves the dialog where the system puts it.
  if (SUCCEEDED(::SHCreateItemFromParsingName(start.c_str(), nullptr, IID_PPV_ARGS(&startItem)))) {
    dialog->SetFolder(Owned<IShellItem>(startItem).get());
  }
  const HRESULT shown = dialog->Show(owner);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return {};
  IShellItem* chosen = nullptr;
  HRESULT hr = FAILED(shown) ? shown : dialog->GetResult(&chosen);
  if (FAILED(hr)) return {false, static_cast<DWORD>(hr)};
  wchar_t* path = nullptr;
  hr = Owned<IShellItem>(chosen)->GetDisplayName(SIGDN_FILESYSPATH, &path);
  if (FAILED(hr)) return {false, static_cast<DWORD>(hr)};
  folder = path;
  ::CoTaskMemFree(path);
  return {true, 0};
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

std::vector<std::string> Win32FileDialogs::RunOpen(const FileDialogRequest& request) {
  return Run(open_, request,
             kCommonFlags | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT);
}

std::optional<std::string> Win32FileDialogs::RunSave(const FileDialogRequest& request) {
  const std::vector<std::string> chosen = Run(save_, request, kCommonFlags | OFN_OVERWRITEPROMPT);
  if (chosen.empty()) return std::nullopt;
  return chosen.front();
}

std::optional<std::string> Win32FileDialogs::RunFolder(const FileDialogRequest& request) {
  std::wstring folder;
  const DialogOutcome outcome = folder_(owner_, platform::WideFromUtf8(request.fileName), folder);
  if (outcome.chosen) return platform::Utf8FromWide(folder);
  if (outcome.error != 0) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(outcome.error));
    ThrowNotShown("папки", code);
  }
  return std::nullopt;
}

ExistingOutputs Win32FileDialogs::AskExisting(std::size_t count) {
  return AskAboutExisting(count, owner_);
}

std::vector<std::string> Win32FileDialogs::Run(const DialogFunction& dialog,
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
  if (outcome.chosen) return ChosenPaths(file.data(), setup.nFileOffset);
  if (outcome.error != 0) ThrowNotShown("файла", std::to_string(outcome.error));
  return {};
}

}  // namespace z917::app::win32

// The system's open, save and folder dialogs and the batch's question
// behind the commands' FileDialogs.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/conversion_commands.h"

namespace z917::app::win32 {

// How one run of a system dialog ended: a file chosen, or not, and then
// the dialog's own error code (0 when the user cancelled).
struct DialogOutcome {
  bool chosen = false;
  DWORD error = 0;
};

// Runs one dialog set up in `dialog` as GetOpenFileNameW or
// GetSaveFileNameW does; the seam through which tests answer the dialogs
// and see how they were set up.
using DialogFunction = std::function<DialogOutcome(OPENFILENAMEW& dialog)>;

// Runs a folder picker over `owner` starting in `start` and puts the chosen
// folder into `folder`; the error is an HRESULT. The folder dialog's seam.
using FolderFunction =
    std::function<DialogOutcome(HWND owner, const std::wstring& start, std::wstring& folder)>;

// GetOpenFileNameW and GetSaveFileNameW, with CommDlgExtendedError.
DialogOutcome SystemOpenDialog(OPENFILENAMEW& dialog);
DialogOutcome SystemSaveDialog(OPENFILENAMEW& dialog);
// IFileOpenDialog picking folders, SHBrowseForFolderW where that cannot be
// made; a dialog that cannot show tells its HRESULT.
DialogOutcome SystemFolderDialog(HWND owner, const std::wstring& start, std::wstring& folder);

// `filter` in the dialogs' form, "Журнал Z917 (*.bin)|*.bin".
std::string FilterText(FileFilter filter);

class Win32FileDialogs : public FileDialogs {
 public:
  explicit Win32FileDialogs(DialogFunction open = SystemOpenDialog,
                            DialogFunction save = SystemSaveDialog,
                            FolderFunction folder = SystemFolderDialog)
      : open_(std::move(open)), save_(std::move(save)), folder_(std::move(folder)) {}
  // Later dialogs are modal over `owner`.
  void SetOwner(HWND owner) { owner_ = owner; }

  // Runs OpenDialog1 for one file or more: each must exist. Throws
  // std::runtime_error when the dialog cannot be shown.
  std::vector<std::string> RunOpen(const FileDialogRequest& request) override;
  // Runs SaveDialog1: replacing an existing file is confirmed. Throws
  // std::runtime_error when the dialog cannot be shown.
  std::optional<std::string> RunSave(const FileDialogRequest& request) override;
  // Runs the folder dialog in the folder `request.fileName`. Throws
  // std::runtime_error when the dialog cannot be shown.
  std::optional<std::string> RunFolder(const FileDialogRequest& request) override;
  // Asks in the three-button question box over the owner.
  ExistingOutputs AskExisting(std::size_t count) override;

 private:
  // The paths chosen, none when the user cancelled.
  std::vector<std::string> Run(const DialogFunction& dialog, const FileDialogRequest& request,
                               DWORD flags) const;

  DialogFunction open_;
  DialogFunction save_;
  FolderFunction folder_;
  HWND owner_ = nullptr;
};

}  // namespace z917::app::win32

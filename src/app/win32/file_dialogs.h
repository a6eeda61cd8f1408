// The system's open and save dialogs behind the commands' FileDialogs.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <optional>
#include <string>

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

// GetOpenFileNameW and GetSaveFileNameW, with CommDlgExtendedError.
DialogOutcome SystemOpenDialog(OPENFILENAMEW& dialog);
DialogOutcome SystemSaveDialog(OPENFILENAMEW& dialog);

// `filter` in the dialogs' form, "Журнал Z917 (*.bin)|*.bin".
std::string FilterText(FileFilter filter);

class Win32FileDialogs : public FileDialogs {
 public:
  explicit Win32FileDialogs(DialogFunction open = SystemOpenDialog,
                            DialogFunction save = SystemSaveDialog)
      : open_(std::move(open)), save_(std::move(save)) {}
  // Later dialogs are modal over `owner`.
  void SetOwner(HWND owner) { owner_ = owner; }

  // Runs OpenDialog1: the path and the file must exist. Throws
  // std::runtime_error when the dialog cannot be shown.
  std::optional<std::string> RunOpen(const FileDialogRequest& request) override;
  // Runs SaveDialog1: replacing an existing file is confirmed. Throws
  // std::runtime_error when the dialog cannot be shown.
  std::optional<std::string> RunSave(const FileDialogRequest& request) override;

 private:
  std::optional<std::string> Run(const DialogFunction& dialog, const FileDialogRequest& request,
                                 DWORD flags) const;

  DialogFunction open_;
  DialogFunction save_;
  HWND owner_ = nullptr;
};

}  // namespace z917::app::win32

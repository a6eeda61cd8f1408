// A file written beside its final path and renamed onto it only when
// complete, so that a failed save leaves nothing behind and never
// damages a file that was there before.
#pragma once

#include <string>

namespace z917::workbook {

class PendingFile {
 public:
  // Checks the target path and creates an empty temporary file in its
  // folder, with the permissions the process gives a newly created file.
  // Throws AutomationError when the path is empty, its folder is missing,
  // the path is a folder, a file is there and `replaceExisting` is false,
  // or the temporary file cannot be created.
  PendingFile(std::string target, bool replaceExisting);
  // Removes the temporary file unless Commit succeeded.
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  const std::string& TempPath() const { return tempPath_; }
  // The folder that holds both files.
  const std::string& Folder() const { return folder_; }

  // Flushes the temporary file to disk and renames it onto the target,
  // replacing a file there only when allowed. Throws AutomationError; the
  // target is then as it was.
  void Commit();

 private:
  std::string target_;
  std::string folder_;
  std::string tempPath_;
  bool replaceExisting_;
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace z917::workbook

// Where an XML document grows while a conversion runs: an unnamed file
// that no other program sees and that vanishes with the process, moved to
// its output path only as a complete file.
#pragma once

#include <string>
#include <string_view>

namespace z917::xml {

class DocumentSpool {
 public:
  // Creates the unnamed file in the folder of TMPDIR (or /tmp). Throws
  // std::system_error when it cannot.
  DocumentSpool();
  // Closes the file; unless committed, nothing of it remains on disk.
  ~DocumentSpool();
  DocumentSpool(const DocumentSpool&) = delete;
  DocumentSpool& operator=(const DocumentSpool&) = delete;

  // Appends bytes (callers batch them: each call is a system call). Throws
  // std::system_error when the file cannot take them.
  void Append(std::string_view bytes);

  // Flushes the file to disk and gives it the name `path`, replacing a
  // file there, through a temporary name in the same folder with the
  // permissions of a newly created file. Throws std::system_error; `path`
  // is then as it was and no temporary name remains.
  void Commit(const std::string& path);

 private:
  bool LinkBeside(const std::string& tempPath);
  void CopyTo(int targetFd);

  int fd_ = -1;
};

}  // namespace z917::xml

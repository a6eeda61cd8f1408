#include "automation/workbook/pending_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <system_error>

#include "automation/automation_error.h"

namespace z917::workbook {

namespace {

using automation::AutomationError;

std::string SystemMessage(int error) { return std::generic_category().message(error); }

std::string Quoted(const std::string& s) { return "«" + s + "»"; }

[[noreturn]] void ThrowExists(const std::string& target) {
  throw AutomationError("Файл " + Quoted(target) + " уже существует");
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string RandomSuffix() {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
  std::string suffix(8, ' ');
  for (char& c : suffix) c = kChars[pick(generator)];
  return suffix;
}

// Flushes the folder's entry for a renamed file; a failure here loses
// nothing that the rename did not already make visible.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

PendingFile::PendingFile(std::string target, bool replaceExisting)
    : target_(std::move(target)), folder_(FolderOf(target_)), replaceExisting_(replaceExisting) {
  if (target_.empty()) throw AutomationError("Имя файла не задано");
  struct stat info;
  if (::stat(folder_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    throw AutomationError("Папка " + Quoted(folder_) + " не существует");
  }
  if (::stat(target_.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      throw AutomationError(Quoted(target_) + " — это папка, а не файл");
    }
    if (!replaceExisting_) ThrowExists(target_);
  }
  // Mode 0666 lets the umask (and a default ACL of the folder) decide, as
  // for any file the user creates.
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    tempPath_ = (folder_ == "/" ? "" : folder_) + "/.~" + RandomSuffix() + ".tmp";
    fd_ = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    throw AutomationError("Не удалось создать временный файл в папке " + Quoted(folder_) + ": " +
                          SystemMessage(errno));
  }
}

PendingFile::~PendingFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_) ::unlink(tempPath_.c_str());
}

void PendingFile::Commit() {
  // The writer has closed its own stream; the descriptor kept open since
  // creation reaches the same file, so syncing through it puts the data on
  // disk before the name moves.
  if (::fsync(fd_) != 0) {
    throw AutomationError("Не удалось записать файл " + Quoted(tempPath_) + " на диск: " +
                          SystemMessage(errno));
  }
  ::close(fd_);
  fd_ = -1;
  int result;
  if (replaceExisting_) {
    result = ::rename(tempPath_.c_str(), target_.c_str());
  } else {
    result = ::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
      // A file system without RENAME_NOREPLACE: check, then rename.
      struct stat info;
      if (::stat(target_.c_str(), &info) == 0) {
        errno = EEXIST;
      } else {
        result = ::rename(tempPath_.c_str(), target_.c_str());
      }
    }
    if (result != 0 && errno == EEXIST) ThrowExists(target_);
  }
  if (result != 0) {
    throw AutomationError("Не удалось сохранить файл " + Quoted(target_) + ": " +
                          SystemMessage(errno));
  }
  committed_ = true;
  SyncFolder(folder_);
}

}  // namespace z917::workbook

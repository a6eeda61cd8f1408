#include "platform/journal_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace z917::platform {

std::FILE* OpenJournalFile(const std::string& path) {
  if (path.empty()) return nullptr;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  // Checked on the open file, so nothing can swap the name in between.
  struct stat info;
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) ::close(fd);
  return file;
}

std::uint64_t JournalFileSize(std::FILE* file) {
  struct stat info;
  if (file == nullptr || ::fstat(::fileno(file), &info) != 0 || info.st_size < 0) return 0;
  return static_cast<std::uint64_t>(info.st_size);
}

bool SameFile(const std::string& first, const std::string& second) {
  struct stat a, b;
  if (first.empty() || second.empty()) return false;
  if (::stat(first.c_str(), &a) != 0 || ::stat(second.c_str(), &b) != 0) return false;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace z917::platform

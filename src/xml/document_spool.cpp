#include "xml/document_spool.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <random>
#include <system_error>

namespace z917::xml {

namespace {

// The piece size of a copy between file systems without copy_file_range.
constexpr std::size_t kCopyChunk = 1 << 16;
// Fresh temporary names tried before a save gives up.
constexpr int kNameAttempts = 100;

[[noreturn]] void ThrowErrno(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

std::string SpoolFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string TempNameIn(const std::string& folder) {
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
  std::string name = (folder == "/" ? "" : folder) + "/.~xml-";
  for (int i = 0; i < 10; ++i) name += kChars[pick(generator)];
  return name + ".tmp";
}

// The permissions a newly created file gets: 0666 less the umask, read
// without changing it where the kernel reports it.
mode_t NewFileMode() {
  mode_t mask = 022;
  if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[128];
    unsigned value;
    while (std::fgets(line, sizeof line, status)) {
      if (std::sscanf(line, "Umask: %o", &value) == 1) mask = static_cast<mode_t>(value);
    }
    std::fclose(status);
  }
  return 0666 & ~mask;
}

// An unnamed file where the kernel offers them; otherwise a named one
// that is unlinked at once.
int OpenUnnamed(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
  if (fd >= 0) return fd;
  std::string pattern = folder + "/.~xml-XXXXXX";
  fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) ThrowErrno("spool file");
  ::unlink(pattern.c_str());
  // mkostemp gives 0600; a linked spool must look like any new file.
  ::fchmod(fd, NewFileMode());
  return fd;
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Removes a temporary name unless released.
class TempName {
 public:
  explicit TempName(std::string path) : path_(std::move(path)) {}
  ~TempName() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  const std::string& Path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

}  // namespace

DocumentSpool::DocumentSpool() : fd_(OpenUnnamed(SpoolFolder())) {}

DocumentSpool::~DocumentSpool() {
  if (fd_ >= 0) ::close(fd_);
}

void DocumentSpool::Append(std::string_view bytes) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(fd_, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("spool write");
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
}

void DocumentSpool::Commit(const std::string& path) {
  const std::string folder = FolderOf(path);
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    ThrowErrno("output path");
  }
  for (int attempt = 1;; ++attempt) {
    TempName temp(TempNameIn(folder));
    if (!LinkBeside(temp.Path())) {
      // The name belongs to a file of somebody else's: never remove it.
      temp.Release();
      if (attempt < kNameAttempts) continue;
      errno = EEXIST;
      ThrowErrno("temporary file");
    }
    if (::rename(temp.Path().c_str(), path.c_str()) != 0) ThrowErrno("rename");
    temp.Release();
    SyncFolder(folder);
    return;
  }
}

// Puts the spool's content under `tempPath`, synced to disk: by a link
// when the spool lives on the same file system, by a copy otherwise.
// False, with nothing done, when a file of that name exists already.
bool DocumentSpool::LinkBeside(const std::string& tempPath) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tempPath.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    // The unnamed file was created 0666 through the umask already.
    if (::fsync(fd_) != 0) ThrowErrno("fsync");
    return true;
  }
  if (errno == EEXIST) return false;
  if (errno != EXDEV && errno != ENOENT && errno != EPERM && errno != EOPNOTSUPP) {
    ThrowErrno("link");
  }
  const int target = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (target < 0 && errno == EEXIST) return false;
  if (target < 0) ThrowErrno("temporary file");
  try {
    CopyTo(target);
    if (::fsync(target) != 0) ThrowErrno("fsync");
  } catch (...) {
    ::close(target);
    throw;
  }
  if (::close(target) != 0) ThrowErrno("close");
  return true;
}

void DocumentSpool::CopyTo(int targetFd) {
  loff_t from = 0;
  for (;;) {
    const ssize_t copied = ::copy_file_range(fd_, &from, targetFd, nullptr, 1 << 30, 0);
    if (copied == 0) return;
    if (copied > 0) continue;
    if (errno == EINTR) continue;
    if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
      ThrowErrno("copy");
    }
    break;
  }
  // A kernel or file system without copy_file_range: read and write.
  std::string chunk(kCopyChunk, '\0');
  for (;;) {
    const ssize_t got = ::pread(fd_, chunk.data(), chunk.size(), from);
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("spool read");
    }
    if (got == 0) return;
    from += got;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(targetFd, chunk.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        ThrowErrno("write");
      }
      done += put;
    }
  }
}

}  // namespace z917::xml

#include "platform/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>

#include "platform/cancellation.h"
#include "platform/posix/path_checks.h"
#include "platform/system_reason.h"

namespace z917::platform {

namespace {

using posix::FolderOf;
using posix::InFolder;
using posix::Quoted;

// Fresh hidden names tried before giving up.
constexpr int kNameAttempts = 100;

std::atomic<bool> forceNamed{false};

std::string HiddenName() {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
  std::string name = ".~";
  for (int i = 0; i < 8; ++i) name += kChars[pick(generator)];
  return name + ".tmp";
}

// Unnamed files need the kernel's support and a /proc to give them a name.
bool UnnamedFilesPossible() {
  static const bool proc = ::access("/proc/self/fd", X_OK) == 0;
  return proc && !forceNamed.load();
}

bool UnnamedRefused(int error) { return error == EOPNOTSUPP || error == EISDIR || error == EINVAL; }

std::string ProcPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// Holds back the signals that end a process politely while a name moves,
// so that no hidden name is left between the link and the rename; they
// arrive once the file is in place.
class QuietSignals {
 public:
  QuietSignals() {
    sigset_t quiet;
    sigemptyset(&quiet);
    sigaddset(&quiet, SIGINT);
    sigaddset(&quiet, SIGTERM);
    sigaddset(&quiet, SIGHUP);
    ::pthread_sigmask(SIG_BLOCK, &quiet, &previous_);
  }
  ~QuietSignals() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  QuietSignals(const QuietSignals&) = delete;
  QuietSignals& operator=(const QuietSignals&) = delete;

 private:
  sigset_t previous_;
};

// Gives the new file the permissions, owner and group of the file it
// replaces. The owner changes only for a privileged process; the group
// where the user belongs to it. Permissions go last: a change of owner
// clears the set-user-ID bits.
void TakeOverAttributes(int fd, const struct stat& replaced) {
  if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
    [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid);
  }
  ::fchmod(fd, replaced.st_mode & 07777);
}

// Flushes the folder's entry for a new name; a failure here loses nothing
// that the rename did not already make visible.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

struct AtomicFile::Impl {
  std::string shown;   // the path as the caller gave it, for messages
  std::string target;  // with links followed
  std::string folder;
  bool replaceExisting = false;
  int fd = -1;
  // The hidden named file where unnamed ones are refused; empty otherwise.
  std::string tempPath;
  std::string openable;
  std::uint64_t size = 0;
  bool committed = false;

  void CheckTarget() const;
  void Create();
  void CreateNamed();
  void Write(std::uint64_t offset, const std::uint8_t* data, std::size_t left);
  [[noreturn]] void ThrowWrite(int error) const;
  [[noreturn]] void ThrowSave(int error) const;
  [[noreturn]] void ThrowExists() const;
  void PutInPlace();
  void LinkUnnamed();
  void RenameNamed();
};

void AtomicFile::Impl::CheckTarget() const {
  if (shown.empty()) throw FileError("Имя файла не задано");
  struct stat info;
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    throw FileError("Папка " + Quoted(folder) + " не существует");
  }
  if (::stat(target.c_str(), &info) == 0) {
    posix::RefuseNonRegular(shown, info);
    if (!replaceExisting) ThrowExists();
  }
}

void AtomicFile::Impl::Create() {
  if (UnnamedFilesPossible()) {
    // Mode 0666 lets the umask and a default ACL of the folder decide, as
    // for any file the user creates.
    fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd >= 0) {
      openable = ProcPath(fd);
      return;
    }
    if (!UnnamedRefused(errno)) {
      throw FileError("Не удалось создать файл в папке " + Quoted(folder) + ": " +
                      SystemReason(errno));
    }
  }
  CreateNamed();
}

void AtomicFile::Impl::CreateNamed() {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string path = InFolder(folder, HiddenName());
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      tempPath = openable = path;
      return;
    }
    if (errno != EEXIST) break;
  }
  throw FileError("Не удалось создать файл в папке " + Quoted(folder) + ": " + SystemReason(errno));
}

void AtomicFile::Impl::ThrowWrite(int error) const {
  throw FileError("Не удалось записать файл " + Quoted(shown) + ": " + SystemReason(error));
}

void AtomicFile::Impl::ThrowSave(int error) const {
  throw FileError("Не удалось сохранить файл " + Quoted(shown) + ": " + SystemReason(error));
}

void AtomicFile::Impl::ThrowExists() const {
  throw FileError("Файл " + Quoted(shown) + " уже существует");
}

void AtomicFile::Impl::Write(std::uint64_t offset, const std::uint8_t* data, std::size_t left) {
  if (Cancellation::Requested()) throw FileCancelled();
  if (fd < 0 || committed) ThrowWrite(EBADF);
  while (left > 0) {
    const ssize_t written = ::pwrite(fd, data, left, static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowWrite(errno);
    }
    if (written == 0) ThrowWrite(EIO);
    data += written;
    left -= static_cast<std::size_t>(written);
    offset += static_cast<std::uint64_t>(written);
  }
}

// Gives the unnamed file its name. Without leave to replace, the link
// itself refuses an existing file; with it, a hidden name first, then a
// rename over the target, which replaces in one step.
void AtomicFile::Impl::LinkUnnamed() {
  const std::string self = ProcPath(fd);
  if (!replaceExisting) {
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) return;
    if (errno == EEXIST) ThrowExists();
    ThrowSave(errno);
  }
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string hidden = InFolder(folder, HiddenName());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno == EEXIST) continue;
      ThrowSave(errno);
    }
    if (::rename(hidden.c_str(), target.c_str()) == 0) return;
    const int error = errno;
    ::unlink(hidden.c_str());
    ThrowSave(error);
  }
  ThrowSave(EEXIST);
}

void AtomicFile::Impl::RenameNamed() {
  if (replaceExisting) {
    if (::rename(tempPath.c_str(), target.c_str()) != 0) ThrowSave(errno);
    return;
  }
  if (::renameat2(AT_FDCWD, tempPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return;
  }
  if (errno == EEXIST) ThrowExists();
  if (errno != EINVAL && errno != ENOSYS) ThrowSave(errno);
  // A file system without RENAME_NOREPLACE: a hard link refuses an
  // existing name just as well.
  if (::link(tempPath.c_str(), target.c_str()) != 0) {
    if (errno == EEXIST) ThrowExists();
    ThrowSave(errno);
  }
  ::unlink(tempPath.c_str());
}

void AtomicFile::Impl::PutInPlace() {
  struct stat replaced;
  if (::stat(target.c_str(), &replaced) == 0) {
    // Something may have taken the name since the file was begun.
    posix::RefuseNonRegular(shown, replaced);
    if (!replaceExisting) ThrowExists();
    TakeOverAttributes(fd, replaced);
  }
  const QuietSignals quiet;
  if (tempPath.empty()) {
    LinkUnnamed();
  } else {
    RenameNamed();
  }
  committed = true;
}

AtomicFile::AtomicFile(const std::string& target, bool replaceExisting)
    : impl_(std::make_unique<Impl>()) {
  Impl& file = *impl_;
  file.shown = target;
  file.target = target.empty() ? target : posix::FollowLinks(target);
  file.folder = FolderOf(file.target);
  file.replaceExisting = replaceExisting;
  file.CheckTarget();
  file.Create();
}

AtomicFile::~AtomicFile() {
  if (impl_->fd >= 0) ::close(impl_->fd);
  if (!impl_->committed && !impl_->tempPath.empty()) ::unlink(impl_->tempPath.c_str());
}

void AtomicFile::Append(std::span<const std::uint8_t> bytes) {
  impl_->Write(impl_->size, bytes.data(), bytes.size());
  impl_->size += bytes.size();
}

void AtomicFile::Append(std::string_view bytes) {
  Append(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

void AtomicFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  impl_->Write(offset, bytes.data(), bytes.size());
}

std::uint64_t AtomicFile::Size() const { return impl_->size; }

const std::string& AtomicFile::OpenablePath() const { return impl_->openable; }

const std::string& AtomicFile::Target() const { return impl_->target; }

void AtomicFile::Commit() {
  Impl& file = *impl_;
  if (Cancellation::Requested()) throw FileCancelled();
  if (file.fd < 0 || file.committed) file.ThrowSave(EBADF);
  if (::fsync(file.fd) != 0) file.ThrowWrite(errno);
  file.PutInPlace();
  ::close(file.fd);
  file.fd = -1;
  SyncFolder(file.folder);
}

void AtomicFile::ForceNamedTemporaryFiles(bool force) { forceNamed.store(force); }

}  // namespace z917::platform

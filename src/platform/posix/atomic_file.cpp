// The atomic output file on POSIX systems: an unnamed file (O_TMPFILE) in
// the target's folder where the kernel allows it, linked in at the end;
// a hidden named file renamed over the target elsewhere.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/atomic_file_impl.h"
#include "platform/posix/path_checks.h"

namespace z917::platform {

namespace {

std::atomic<bool> forceNamed{false};

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

const int AtomicFile::Impl::kNotOpen = EBADF;

std::string AtomicFile::Impl::TargetOf(const std::string& path) {
  return path.empty() ? path : posix::FollowLinks(path);
}

AtomicFile::Impl::~Impl() {
  if (fd >= 0) ::close(fd);
  if (!committed && !tempPath.empty()) ::unlink(tempPath.c_str());
}

bool AtomicFile::Impl::IsOpen() const { return fd >= 0; }

void AtomicFile::Impl::Create() {
  if (UnnamedFilesPossible()) {
    // Mode 0666 lets the umask and a default ACL of the folder decide, as
    // for any file the user creates.
    fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd >= 0) {
      openable = ProcPath(fd);
      return;
    }
    if (!UnnamedRefused(errno)) ThrowCreate(errno);
  }
  CreateNamed();
}

int AtomicFile::Impl::OpenNew(const std::string& path) {
  fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  return fd >= 0 ? 0 : errno;
}

bool AtomicFile::Impl::NameTaken(int error) { return error == EEXIST; }

void AtomicFile::Impl::WriteAll(std::uint64_t offset, const std::uint8_t* data, std::size_t left) {
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

void AtomicFile::Impl::Flush() {
  if (::fsync(fd) != 0) ThrowWrite(errno);
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
  // Something may have taken the name since the file was begun.
  const bool taken = ::stat(target.c_str(), &replaced) == 0;
  RefuseTaken(taken ? posix::KindOf(replaced) : PathKind::kMissing);
  if (taken) TakeOverAttributes(fd, replaced);
  {
    const QuietSignals quiet;
    if (tempPath.empty()) {
      LinkUnnamed();
    } else {
      RenameNamed();
    }
    committed = true;
  }
  ::close(fd);
  fd = -1;
  SyncFolder(folder);
}

void AtomicFile::ForceNamedTemporaryFiles(bool force) { forceNamed.store(force); }

}  // namespace z917::platform

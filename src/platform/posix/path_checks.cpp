#include "platform/posix/path_checks.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/file_error.h"
#include "platform/system_reason.h"

namespace z917::platform {

namespace {
// As many links as the kernel itself follows in one path.
constexpr int kMaxLinkHops = 40;
}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string InFolder(const std::string& folder, const std::string& name) {
  return (folder == "/" ? "" : folder) + "/" + name;
}

std::string CreatedPath(const std::string& path) { return path; }

PathKind KindOf(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? posix::KindOf(info) : PathKind::kMissing;
}

// A rename replaces a file whoever has it open.
bool HeldByAnotherProgram(const std::string&) { return false; }

PathKind posix::KindOf(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return PathKind::kFile;
  if (S_ISDIR(info.st_mode)) return PathKind::kFolder;
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return PathKind::kDevice;
  if (S_ISFIFO(info.st_mode)) return PathKind::kPipe;
  if (S_ISSOCK(info.st_mode)) return PathKind::kSocket;
  return PathKind::kOther;
}

std::string posix::FollowLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0;; ++hops) {
    struct stat info;
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    if (hops == kMaxLinkHops) {
      throw FileError("Не удалось открыть " + Quoted(path) + ": " + SystemReason(ELOOP));
    }
    std::vector<char> buffer(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
    const ssize_t length = ::readlink(current.c_str(), buffer.data(), buffer.size());
    // A link that changed under us is taken as it now stands on the next turn.
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) continue;
    const std::string link(buffer.data(), static_cast<std::size_t>(length));
    const std::string folder = FolderOf(current);
    current = link.front() == '/' || folder == "." ? link : InFolder(folder, link);
  }
}

}  // namespace z917::platform

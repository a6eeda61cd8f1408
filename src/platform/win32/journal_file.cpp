// The journal through the wide API in the \\?\ form, so that any name
// opens, Cyrillic included, at any length; same-file checks by volume and
// file index.
#include "platform/journal_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/win32/extended_path.h"

namespace z917::platform {

namespace {

// A handle for reading `path`'s attributes; folders open too.
HANDLE OpenForInformation(const std::string& path) {
  return ::CreateFileW(SystemPath(path).c_str(), 0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  const HANDLE handle = OpenForInformation(path);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
  ::CloseHandle(handle);
  return known;
}

}  // namespace

std::FILE* OpenJournalFile(const std::string& path) {
  if (path.empty()) return nullptr;
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open at all.
  const HANDLE handle = ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    return nullptr;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = ::_fdopen(fd, "rb");
  if (file == nullptr) ::_close(fd);  // closes the handle too
  return file;
}

std::uint64_t JournalFileSize(std::FILE* file) {
  if (file == nullptr) return 0;
  const __int64 size = ::_filelengthi64(::_fileno(file));
  return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

bool SameFile(const std::string& first, const std::string& second) {
  if (first.empty() || second.empty()) return false;
  BY_HANDLE_FILE_INFORMATION a, b;
  if (!FileIdentity(first, a) || !FileIdentity(second, b)) return false;
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace z917::platform

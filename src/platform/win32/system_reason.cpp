// Windows' error codes (GetLastError) put into the same Russian words as
// the POSIX ones.
#include "platform/system_reason.h"

#include <windows.h>

namespace z917::platform {

namespace {

// ERROR_DISK_QUOTA_EXCEEDED, which mingw-w64's headers lack.
constexpr DWORD kDiskQuotaExceeded = 1295;

SystemReasonKind KindOf(int code) {
  switch (static_cast<DWORD>(code)) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return SystemReasonKind::kNoSpace;
    case kDiskQuotaExceeded:
      return SystemReasonKind::kQuotaExceeded;
    case ERROR_FILE_TOO_LARGE:
      return SystemReasonKind::kFileTooLarge;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return SystemReasonKind::kAccessDenied;
    case ERROR_WRITE_PROTECT:
      return SystemReasonKind::kReadOnly;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return SystemReasonKind::kNoFolder;
    case ERROR_DIRECTORY:
      return SystemReasonKind::kNotAFolder;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return SystemReasonKind::kExists;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return SystemReasonKind::kNameTooLong;
    case ERROR_CANT_RESOLVE_FILENAME:
      return SystemReasonKind::kTooManyLinks;
    case ERROR_TOO_MANY_OPEN_FILES:
      return SystemReasonKind::kTooManyOpenFiles;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return SystemReasonKind::kNoMemory;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return SystemReasonKind::kBusy;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_SECTOR_NOT_FOUND:
      return SystemReasonKind::kInputOutput;
    default:
      return SystemReasonKind::kOther;
  }
}

}  // namespace

std::string SystemReason(int code) { return ReasonText(KindOf(code), code); }

}  // namespace z917::platform

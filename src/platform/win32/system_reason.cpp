// Windows' error codes (GetLastError) put into the same Russian words as
// the POSIX ones.
#include "platform/system_reason.h"

#include <windows.h>

namespace z917::platform {

namespace {

// ERROR_DISK_QUOTA_EXCEEDED, which mingw-w64's headers lack.
constexpr DWORD kDiskQuotaExceeded = 1295;

using enum SystemReasonKind;

const ReasonCode kCodes[] = {
    {ERROR_DISK_FULL, kNoSpace},
    {ERROR_HANDLE_DISK_FULL, kNoSpace},
    {kDiskQuotaExceeded, kQuotaExceeded},
    {ERROR_FILE_TOO_LARGE, kFileTooLarge},
    {ERROR_ACCESS_DENIED, kAccessDenied},
    {ERROR_PRIVILEGE_NOT_HELD, kAccessDenied},
    {ERROR_WRITE_PROTECT, kReadOnly},
    {ERROR_FILE_NOT_FOUND, kNoFolder},
    {ERROR_PATH_NOT_FOUND, kNoFolder},
    {ERROR_INVALID_DRIVE, kNoFolder},
    {ERROR_BAD_NETPATH, kNoFolder},
    {ERROR_DIRECTORY, kNotAFolder},
    {ERROR_FILE_EXISTS, kExists},
    {ERROR_ALREADY_EXISTS, kExists},
    {ERROR_FILENAME_EXCED_RANGE, kNameTooLong},
    {ERROR_BUFFER_OVERFLOW, kNameTooLong},
    {ERROR_CANT_RESOLVE_FILENAME, kTooManyLinks},
    {ERROR_TOO_MANY_OPEN_FILES, kTooManyOpenFiles},
    {ERROR_NOT_ENOUGH_MEMORY, kNoMemory},
    {ERROR_OUTOFMEMORY, kNoMemory},
    {ERROR_SHARING_VIOLATION, kBusy},
    {ERROR_LOCK_VIOLATION, kBusy},
    {ERROR_USER_MAPPED_FILE, kBusy},
    {ERROR_CRC, kInputOutput},
    {ERROR_IO_DEVICE, kInputOutput},
    {ERROR_READ_FAULT, kInputOutput},
    {ERROR_WRITE_FAULT, kInputOutput},
    {ERROR_GEN_FAILURE, kInputOutput},
    {ERROR_SECTOR_NOT_FOUND, kInputOutput},
};

}  // namespace

std::span<const ReasonCode> SystemReasonCodes() { return kCodes; }

}  // namespace z917::platform

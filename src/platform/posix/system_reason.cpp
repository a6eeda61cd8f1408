// errno values put into words.
#include "platform/system_reason.h"

#include <cerrno>

namespace z917::platform {

namespace {

using enum SystemReasonKind;

const ReasonCode kCodes[] = {
    {ENOSPC, kNoSpace},
    {EDQUOT, kQuotaExceeded},
    {EFBIG, kFileTooLarge},
    {EACCES, kAccessDenied},
    {EPERM, kAccessDenied},
    {EROFS, kReadOnly},
    {ENOENT, kNoFolder},
    {ENOTDIR, kNotAFolder},
    {EISDIR, kIsAFolder},
    {EEXIST, kExists},
    {ENAMETOOLONG, kNameTooLong},
    {ELOOP, kTooManyLinks},
    {EMFILE, kTooManyOpenFiles},
    {ENFILE, kTooManyOpenFiles},
    {ENOMEM, kNoMemory},
    {EBUSY, kBusy},
    {ETXTBSY, kBusy},
    {EIO, kInputOutput},
};

}  // namespace

std::span<const ReasonCode> SystemReasonCodes() { return kCodes; }

}  // namespace z917::platform

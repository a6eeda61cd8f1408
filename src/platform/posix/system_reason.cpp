#include "platform/system_reason.h"

#include <cerrno>

namespace z917::platform {

namespace {

SystemReasonKind KindOf(int code) {
  switch (code) {
    case ENOSPC:
      return SystemReasonKind::kNoSpace;
    case EDQUOT:
      return SystemReasonKind::kQuotaExceeded;
    case EFBIG:
      return SystemReasonKind::kFileTooLarge;
    case EACCES:
    case EPERM:
      return SystemReasonKind::kAccessDenied;
    case EROFS:
      return SystemReasonKind::kReadOnly;
    case ENOENT:
      return SystemReasonKind::kNoFolder;
    case ENOTDIR:
      return SystemReasonKind::kNotAFolder;
    case EISDIR:
      return SystemReasonKind::kIsAFolder;
    case EEXIST:
      return SystemReasonKind::kExists;
    case ENAMETOOLONG:
      return SystemReasonKind::kNameTooLong;
    case ELOOP:
      return SystemReasonKind::kTooManyLinks;
    case EMFILE:
    case ENFILE:
      return SystemReasonKind::kTooManyOpenFiles;
    case ENOMEM:
      return SystemReasonKind::kNoMemory;
    case EBUSY:
    case ETXTBSY:
      return SystemReasonKind::kBusy;
    case EIO:
      return SystemReasonKind::kInputOutput;
    default:
      return SystemReasonKind::kOther;
  }
}

}  // namespace

std::string SystemReason(int code) { return ReasonText(KindOf(code), code); }

}  // namespace z917::platform

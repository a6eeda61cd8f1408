// Why the system refused a file operation, in the Russian words the user
// reads after our own message. Each system maps its error codes onto the
// same short texts, so a message reads alike wherever the program runs.
#pragma once

#include <string>

namespace z917::platform {

// The reasons we put into words; anything else keeps its number.
enum class SystemReasonKind {
  kNoSpace,
  kQuotaExceeded,
  kFileTooLarge,
  kAccessDenied,
  kReadOnly,
  kNoFolder,
  kNotAFolder,
  kIsAFolder,
  kExists,
  kNameTooLong,
  kTooManyLinks,
  kTooManyOpenFiles,
  kNoMemory,
  kBusy,
  kInputOutput,
  kOther,
};

// The short Russian text of `kind` ("на диске нет места"); for kOther
// "системная ошибка " and `code`, so that the text still says something
// true. Never fails.
std::string ReasonText(SystemReasonKind kind, int code);

// The Russian reason for a system error code: errno on POSIX systems,
// GetLastError on Windows. Never fails.
std::string SystemReason(int code);

}  // namespace z917::platform

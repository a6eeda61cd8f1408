// Why the system refused a file operation, in the Russian words the user
// reads after our own message. Each system maps its error codes onto the
// same short texts, so a message reads alike wherever the program runs.
#pragma once

#include <span>
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

// A system error code and the reason it reads as.
struct ReasonCode {
  int code;
  SystemReasonKind kind;
};
// The codes this system's build puts into words (posix/ or
// win32/system_reason.cpp); any other reads as kOther. Never fails.
std::span<const ReasonCode> SystemReasonCodes();

}  // namespace z917::platform

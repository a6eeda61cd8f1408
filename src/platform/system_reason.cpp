#include "platform/system_reason.h"

namespace z917::platform {

std::string ReasonText(SystemReasonKind kind, int code) {
  switch (kind) {
    case SystemReasonKind::kNoSpace:
      return "на диске нет места";
    case SystemReasonKind::kQuotaExceeded:
      return "исчерпана дисковая квота";
    case SystemReasonKind::kFileTooLarge:
      return "файл слишком велик";
    case SystemReasonKind::kAccessDenied:
      return "нет доступа";
    case SystemReasonKind::kReadOnly:
      return "диск доступен только для чтения";
    case SystemReasonKind::kNoFolder:
      return "папка не существует";
    case SystemReasonKind::kNotAFolder:
      return "часть пути не является папкой";
    case SystemReasonKind::kIsAFolder:
      return "это папка, а не файл";
    case SystemReasonKind::kExists:
      return "файл уже существует";
    case SystemReasonKind::kNameTooLong:
      return "слишком длинное имя файла";
    case SystemReasonKind::kTooManyLinks:
      return "слишком много символических ссылок в пути";
    case SystemReasonKind::kTooManyOpenFiles:
      return "открыто слишком много файлов";
    case SystemReasonKind::kNoMemory:
      return "недостаточно памяти";
    case SystemReasonKind::kBusy:
      return "файл занят другой программой";
    case SystemReasonKind::kInputOutput:
      return "ошибка ввода-вывода";
    case SystemReasonKind::kOther:
      break;
  }
  return "системная ошибка " + std::to_string(code);
}

std::string SystemReason(int code) {
  for (const ReasonCode& known : SystemReasonCodes()) {
    if (known.code == code) return ReasonText(known.kind, code);
  }
  return ReasonText(SystemReasonKind::kOther, code);
}

}  // namespace z917::platform

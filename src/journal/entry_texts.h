// The words both writers give coded values of an entry (Ukrainian, UTF-8),
// and the messages both show when an entry cannot be written.
#pragma once

#include <array>

namespace z917 {

// Tax group letters by TaxGroup: Cyrillic А, Б, В, Г, Д; groups 5 to 7 a blank.
inline constexpr std::array<const char*, 8> TaxGroupNames = {"\u0410", "\u0411", "\u0412", "\u0413",
                                                             "\u0414", " ",      " ",      " "};
// By WFlag: goods sold by the piece, weighed goods.
inline constexpr std::array<const char*, 2> WFlagNames = {"Штучний", "Ваговий"};
// By XFlag: goods, service, payout (2 and 3 alike).
inline constexpr std::array<const char*, 4> XFlagNames = {"Товар", "Послуга", "Виплата", "Виплата"};
// The direction of a cash movement: cash put in, cash taken out.
inline constexpr const char* CashInText = "Внесення";
inline constexpr const char* CashOutText = "Вилучення";

// What an entry operation's failure message starts with, before the reason.
inline constexpr const char* kSaleFailed = "Ошибка записи данных продаж: ";
inline constexpr const char* kRefundFailed = "Ошибка записи данных возвратов: ";
inline constexpr const char* kAnnulSaleFailed = "Ошибка записи данных аннулированых продаж: ";
inline constexpr const char* kAnnulRefundFailed = "Ошибка записи данных аннулированых возвратов: ";
inline constexpr const char* kCashFailed = "Ошибка записи данных внесения/изъятия наличных: ";
inline constexpr const char* kReceiptFailed = "Ошибка записи данных приемки товаров: ";
inline constexpr const char* kReturnFailed = "Ошибка записи данных возврата товаров: ";
inline constexpr const char* kZReportFailed = "Ошибка записи данных Z-отчета: ";
inline constexpr const char* kCheckSumSaleFailed = "Ошибка записи данных итога чека продаж: ";
inline constexpr const char* kCheckSumRefundFailed = "Ошибка записи данных итога чека выплат: ";

}  // namespace z917

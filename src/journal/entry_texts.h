// The words both writers give coded values of an entry (Ukrainian, UTF-8),
// and the messages both show when an entry cannot be written.
#pragma once

#include <array>

#include "journal/entry_kind.h"

namespace z917::journal {

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

// The direction of `kind`, CashIn or CashOut.
inline const char* CashDirectionText(EntryKind kind) {
  return kind == EntryKind::CashIn ? CashInText : CashOutText;
}

// What an entry operation's failure message starts with, before the
// reason, by EntryKind; cash in and out share one.
inline constexpr std::array<const char*, kEntryKindCount> kEntryFailed = {
    "Ошибка записи данных продаж: ",
    "Ошибка записи данных возвратов: ",
    "Ошибка записи данных аннулированых продаж: ",
    "Ошибка записи данных аннулированых возвратов: ",
    "Ошибка записи данных внесения/изъятия наличных: ",
    "Ошибка записи данных внесения/изъятия наличных: ",
    "Ошибка записи данных Z-отчета: ",
    "Ошибка записи данных приемки товаров: ",
    "Ошибка записи данных возврата товаров: ",
    "Ошибка записи данных итога чека продаж: ",
    "Ошибка записи данных итога чека выплат: ",
};

// The failure message of `kind`'s operation, before the reason.
inline const char* EntryFailedText(EntryKind kind) {
  return kEntryFailed[static_cast<std::size_t>(kind)];
}

}  // namespace z917::journal

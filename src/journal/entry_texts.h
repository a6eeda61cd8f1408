// The words both writers give coded values of an entry (Ukrainian, UTF-8).
#pragma once

#include <array>

namespace z917 {

// Tax group letters by TaxGroup: Cyrillic А, Б, В, Г, Д; groups 5 to 7 a blank.
inline constexpr std::array<const char*, 8> TaxGroupNames = {
    "\u0410", "\u0411", "\u0412", "\u0413", "\u0414", " ", " ", " "};
// By WFlag: goods sold by the piece, weighed goods.
inline constexpr std::array<const char*, 2> WFlagNames = {"Штучний", "Ваговий"};
// By XFlag: goods, service, payout (2 and 3 alike).
inline constexpr std::array<const char*, 4> XFlagNames = {"Товар", "Послуга", "Виплата",
                                                          "Виплата"};
// The direction of a cash movement: cash put in, cash taken out.
inline constexpr const char* CashInText = "Внесення";
inline constexpr const char* CashOutText = "Вилучення";

}  // namespace z917

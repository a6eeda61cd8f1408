#include "excel_writer/workbook_layout.h"

#include <algorithm>

namespace z917::excel_writer {

namespace {

// The layouts of `parts` one after another.
template <std::size_t... N>
constexpr std::array<ColumnLayout, (N + ...)> Join(const std::array<ColumnLayout, N>&... parts) {
  std::array<ColumnLayout, (N + ...)> out{};
  std::size_t next = 0;
  ((std::copy(parts.begin(), parts.end(), out.begin() + next), next += N), ...);
  return out;
}

// The five columns every row sheet starts with.
constexpr std::array<ColumnLayout, 5> kHeaderColumns = {{
    {"Номер зміни", 13, kCounterFormat},
    {"Номер чека", 13, kCounterFormat},
    {"Номер касира", 13, kCounterFormat},
    {"Дата/час", 15, nullptr},
    {"Номер пакета", 13, kCounterFormat},
}};

// Columns 1 to 14 of the four sales sheets.
constexpr auto kSalesColumns = Join(kHeaderColumns, std::array<ColumnLayout, 9>{{
                                                        {"Відмова", 13, kCounterFormat},
                                                        {"Код товару", 13, kCounterFormat},
                                                        {"Номер партії", 13, kCounterFormat},
                                                        {"Кількість, шт/кг", 15, kQuantityFormat},
                                                        {"Ціна, грн", 13, kMoneyFormat},
                                                        {"Вартість, грн", 13, kMoneyFormat},
                                                        {"Податкова група", 15, kTextFormat},
                                                        {"Ваговий/штучний товар", 22, kTextFormat},
                                                        {"Товар/послуга/виплата", 22, kTextFormat},
                                                    }});

constexpr auto kSaleColumns =
    Join(kSalesColumns, std::array<ColumnLayout, 1>{{{"Назва товару", 40, kTextFormat}}});

constexpr auto kRefundColumns =
    Join(kSalesColumns, std::array<ColumnLayout, 2>{{{"Назва виплати", 40, kTextFormat},
                                                     {"Назва товару", 40, kTextFormat}}});

// "Ім’я" is written with U+2019, the typographic apostrophe.
constexpr auto kCashColumns = Join(kHeaderColumns, std::array<ColumnLayout, 4>{{
                                                       {"Внесення/вилучення", 13, kTextFormat},
                                                       {"Сума", 13, kMoneyFormat},
                                                       {"Наявність готівки", 13, kMoneyFormat},
                                                       {"Ім’я касира", 15, kTextFormat},
                                                   }});

constexpr auto kGoodsColumns = Join(kHeaderColumns, std::array<ColumnLayout, 6>{{
                                                        {"Номер постачальника", 18, kCounterFormat},
                                                        {"Код товару", 13, kCounterFormat},
                                                        {"Номер партії", 13, kCounterFormat},
                                                        {"Кількість", 13, kQuantityFormat},
                                                        {"Нова ціна", 13, kMoneyFormat},
                                                        {"Ім’я касира", 13, kTextFormat},
                                                    }});

constexpr auto kCheckSumColumns = Join(kHeaderColumns, std::array<ColumnLayout, 8>{{
                                                           {"Сума", 13, kMoneyFormat},
                                                           {"Готівкою", 15, kMoneyFormat},
                                                           {"Карткою", 15, kMoneyFormat},
                                                           {"Форма 1", 15, kMoneyFormat},
                                                           {"Форма 2", 15, kMoneyFormat},
                                                           {"Форма 3", 15, kMoneyFormat},
                                                           {"Форма 4", 15, kMoneyFormat},
                                                           {"Форма 5", 15, kMoneyFormat},
                                                       }});

// The Z-report's rows: the width field is unused, formats go on whole rows.
// Its sales and its payouts each go by the same seven forms of payment.
constexpr std::array<ColumnLayout, 7> kPaymentRows = {{
    {"Готівкою", 0, kMoneyFormat},
    {"Карткою", 0, kMoneyFormat},
    {"Форма оплати №1", 0, kMoneyFormat},
    {"Форма оплати №2", 0, kMoneyFormat},
    {"Форма оплати №3", 0, kMoneyFormat},
    {"Форма оплати №4", 0, kMoneyFormat},
    {"Форма оплати №5", 0, kMoneyFormat},
}};

constexpr auto kZReportRowLayout = Join(kHeaderColumns,
                                        std::array<ColumnLayout, 3>{{
                                            {"Кількість чеків продажів", 0, kCounterFormat},
                                            {"Кількість чеків виплат", 0, kCounterFormat},
                                            {"Сума продажів", 0, kMoneyFormat},
                                        }},
                                        kPaymentRows,
                                        std::array<ColumnLayout, 3>{{
                                            {"Сума націнок продажів", 0, kMoneyFormat},
                                            {"Сума знижок продажів", 0, kMoneyFormat},
                                            {"Сума виплат", 0, kMoneyFormat},
                                        }},
                                        kPaymentRows,
                                        std::array<ColumnLayout, 5>{{
                                            {"Сума націнок виплат", 0, kMoneyFormat},
                                            {"Сума знижок виплат", 0, kMoneyFormat},
                                            {"Сума внесення готівки", 0, kMoneyFormat},
                                            {"Сума вилучення готівки", 0, kMoneyFormat},
                                            {"Ім’я касира", 0, kTextFormat},
                                        }});
static_assert(kZReportRowLayout.size() == kZReportRows);

constexpr std::array<SheetLayout, kSheetCount> kLayout = {{
    {"Продажі", kSaleColumns},
    {"Виплати", kRefundColumns},
    {"Анульовані продажі", kSaleColumns},
    {"Анульовані виплати", kRefundColumns},
    {"Внес. вилуч. готівки", kCashColumns},
    {"Приймання товарів", kGoodsColumns},
    {"Повернення товарів", kGoodsColumns},
    {"Z-звіт", kZReportRowLayout},
    {"Підсумок чека продажу", kCheckSumColumns},
    {"Підсумок чека виплати", kCheckSumColumns},
}};

}  // namespace

const std::array<SheetLayout, kSheetCount>& WorkbookLayout() { return kLayout; }

}  // namespace z917::excel_writer

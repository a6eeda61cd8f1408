// The rows both workbook benchmarks write: 15 cells like a journal's sale
// row (numbers, a date, short texts), the same pseudo-random sequence in
// every run, and the sheet layout (widths, formats, captions) they go in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "automation/server_factory.h"

namespace bench {

constexpr int kColumns = 15;
constexpr const char* kCaptions[kColumns] = {"Номер зміни",
                                             "Номер чека",
                                             "Номер касира",
                                             "Дата/час",
                                             "Номер пакета",
                                             "Відмова",
                                             "Код товару",
                                             "Номер партії",
                                             "Кількість, шт/кг",
                                             "Ціна, грн",
                                             "Вартість, грн",
                                             "Податкова група",
                                             "Ваговий/штучний товар",
                                             "Товар/послуга/виплата",
                                             "Назва товару"};
constexpr int kWidths[kColumns] = {13, 13, 13, 15, 13, 13, 13, 13, 15, 13, 13, 15, 22, 22, 40};
// nullptr: no format of the column's own (the date column).
constexpr const char* kFormats[kColumns] = {"0",     "0",    "0",    nullptr, "0", "0", "0", "0",
                                            "0.000", "0.00", "0.00", "@",     "@", "@", "@"};
constexpr const char* kTaxGroups[] = {"А", "Б", "В", "Г", "Д"};
constexpr const char* kWeighing[] = {"Штучний", "Ваговий"};
constexpr const char* kKinds[] = {"Товар", "Послуга", "Виплата"};

// The values of one journal-like sale row, the same for both runs.
struct SaleRow {
  std::uint16_t smena, check;
  std::uint8_t cashier;
  double dateTime;
  std::uint32_t packet;
  std::uint8_t annul;
  std::int64_t code;
  std::uint32_t batch, avail, price, total;
  const char* tax;
  const char* weighing;
  const char* kind;
  const std::string* name;
};

class RowSource {
 public:
  RowSource() {
    for (int i = 0; i < 500; ++i) names_.push_back("Товар №" + std::to_string(i * 37 + 1));
  }
  SaleRow Row(std::uint32_t i) {
    const std::uint32_t r = Next();
    return {static_cast<std::uint16_t>(i / 400 + 1),
            static_cast<std::uint16_t>(i / 3 % 65535 + 1),
            static_cast<std::uint8_t>(r % 8 + 1),
            36892.0 + i * (30.0 / 86400.0),
            i + 1,
            0,
            static_cast<std::int64_t>(r % 1000000000),
            r % 10000,
            1000 + r % 5000,
            100 + r % 99900,
            (100 + r % 99900) * 2,
            kTaxGroups[r % 5],
            kWeighing[r / 5 % 2],
            kKinds[r / 10 % 3],
            &names_[r / 30 % names_.size()]};
  }

 private:
  std::uint32_t Next() { return state_ = state_ * 1664525u + 1013904223u; }
  std::uint32_t state_ = 12345;
  std::vector<std::string> names_;
};

inline std::string CellAddress(std::uint32_t row, int column) {
  std::string address(1, static_cast<char>('A' + column - 1));
  address += std::to_string(row);
  return address;
}

// Names `sheet`, gives its columns their widths and formats, writes the
// captions in row 1 and then rows `first`.. `first + rows - 1` of `source`
// below them, one Range.Value call a row, as the Excel writer does.
inline void FillSheet(z917::automation::Dispatch& sheet, const char* name, RowSource& source,
                      std::uint32_t first, std::uint32_t rows) {
  using namespace z917::automation;
  sheet.Set("Name", name);
  Dispatch columns = sheet.GetObject("Columns");
  for (int c = 1; c <= kColumns; ++c) {
    columns.GetObject("Columns", {c}).Set("ColumnWidth", kWidths[c - 1]);
    if (kFormats[c - 1]) columns.GetObject("Columns", {c}).Set("NumberFormat", kFormats[c - 1]);
  }
  Variant buffer(VariantArray(1, kColumns));
  VariantArray& cells = buffer.AsArray();
  for (int c = 1; c <= kColumns; ++c) cells.At(1, c) = kCaptions[c - 1];
  sheet.GetObject("Range", {CellAddress(1, 1), CellAddress(1, kColumns)}).Set("Value", buffer);
  for (std::uint32_t i = 0; i < rows; ++i) {
    const SaleRow s = source.Row(first + i);
    cells.At(1, 1) = s.smena;
    cells.At(1, 2) = s.check;
    cells.At(1, 3) = s.cashier;
    cells.At(1, 4) = Date{s.dateTime};
    cells.At(1, 5) = s.packet;
    cells.At(1, 6) = s.annul;
    cells.At(1, 7) = s.code;
    cells.At(1, 8) = s.batch;
    cells.At(1, 9) = s.avail / 1000.0;
    cells.At(1, 10) = s.price / 100.0;
    cells.At(1, 11) = s.total / 100.0;
    cells.At(1, 12) = s.tax;
    cells.At(1, 13) = s.weighing;
    cells.At(1, 14) = s.kind;
    cells.At(1, 15) = *s.name;
    const std::uint32_t r = i + 2;
    sheet.GetObject("Range", {CellAddress(r, 1), CellAddress(r, kColumns)}).Set("Value", buffer);
  }
}

}  // namespace bench

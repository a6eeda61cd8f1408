#include "automation/workbook/xlsx/row_xml.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "automation/automation_error.h"
#include "automation/workbook/limits.h"

namespace z917::workbook::xlsx {

namespace {

// The longest a cell's element can be: the reference XFD1048576, a style
// of five digits, a kind, and a number of at most 24 characters.
constexpr std::size_t kMostRowBytes = 64;
constexpr std::size_t kMostCellBytes = 96;

char* Put(char* at, std::string_view text) {
  std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

char* PutUnsigned(char* at, std::uint32_t value) { return std::to_chars(at, at + 10, value).ptr; }

char* PutLetters(char* at, std::uint32_t column) {
  char letters[3];
  int count = 0;
  for (; column > 0; column = (column - 1) / 26)
    letters[count++] = static_cast<char>('A' + (column - 1) % 26);
  while (count > 0) *at++ = letters[--count];
  return at;
}

// A number that is a whole count of thousandths, as money and quantities
// are, written as that decimal when it reads back as the same double: the
// shortest such text, as std::to_chars would give, at a fraction of the
// cost. Nothing when the number is not such a decimal.
char* PutThousandths(char* at, double value) {
  constexpr double kMostThousandths = 1e15;  // well within 2^53
  const double scaled = value * 1000;
  if (!(std::fabs(scaled) < kMostThousandths)) return nullptr;
  const auto thousandths = static_cast<std::int64_t>(std::llround(scaled));
  if (static_cast<double>(thousandths) / 1000 != value) return nullptr;
  std::uint64_t magnitude = static_cast<std::uint64_t>(thousandths < 0 ? -thousandths : thousandths);
  if (thousandths < 0) *at++ = '-';
  at = std::to_chars(at, at + 20, magnitude / 1000).ptr;
  std::uint64_t fraction = magnitude % 1000;
  if (fraction == 0) return at;
  *at++ = '.';
  for (std::uint64_t unit = 100; fraction != 0; unit /= 10) {
    *at++ = static_cast<char>('0' + fraction / unit);
    fraction %= unit;
  }
  return at;
}

// Whole numbers, the most common values by far, and thousandths take the
// quicker ways; any other number is written as the shortest text that
// reads back as the same double.
char* PutNumber(char* at, double value) {
  constexpr double kExactWhole = 9007199254740992.0;  // 2^53
  if (value == 0 && std::signbit(value)) return std::to_chars(at, at + 32, value).ptr;
  if (std::fabs(value) < kExactWhole && value == std::trunc(value)) {
    return std::to_chars(at, at + 24, static_cast<std::int64_t>(value)).ptr;
  }
  if (char* end = PutThousandths(at, value)) return end;
  return std::to_chars(at, at + 32, value).ptr;
}

// A row number's digits (at most 7), copied into every cell's reference
// as one fixed-size move: the buffer has room past the digits.
struct RowDigits {
  char text[10];
  std::size_t size;

  explicit RowDigits(std::uint32_t number)
      : size(static_cast<std::size_t>(PutUnsigned(text, number) - text)) {}
  char* PutInto(char* at) const {
    std::memcpy(at, text, sizeof text);
    return at + size;
  }
};

char* PutCell(char* at, const Cell& cell, const RowDigits& rowDigits, std::uint32_t& texts) {
  at = Put(at, "<c r=\"");
  at = PutLetters(at, cell.Column());
  at = rowDigits.PutInto(at);
  *at++ = '"';
  if (cell.Format() != kGeneralFormat) {
    at = Put(at, " s=\"");
    at = PutUnsigned(at, cell.Format());
    *at++ = '"';
  }
  switch (cell.Kind()) {
    case CellKind::Blank:
      return Put(at, "/>");
    case CellKind::Number:
      at = PutNumber(Put(at, "><v>"), cell.Number());
      break;
    case CellKind::Text:
      ++texts;
      at = PutUnsigned(Put(at, " t=\"s\"><v>"), cell.Text());
      break;
    case CellKind::Boolean:
      at = Put(at, cell.Boolean() ? " t=\"b\"><v>1" : " t=\"b\"><v>0");
      break;
  }
  return Put(at, "</v></c>");
}

// Reads back what AppendRowXml wrote, and nothing else.
class RowReader {
 public:
  explicit RowReader(std::string_view xml) : xml_(xml) {}

  bool AtEnd() const { return at_ == xml_.size(); }
  bool Take(std::string_view text) {
    if (xml_.substr(at_, text.size()) != text) return false;
    at_ += text.size();
    return true;
  }
  void Expect(std::string_view text) {
    if (!Take(text)) Fail();
  }
  std::uint32_t Unsigned(std::uint32_t most) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(xml_.data() + at_, xml_.data() + xml_.size(), value);
    if (error != std::errc() || value > most) Fail();
    at_ = static_cast<std::size_t>(end - xml_.data());
    return value;
  }
  double Number() {
    double value = 0;
    const auto [end, error] = std::from_chars(xml_.data() + at_, xml_.data() + xml_.size(), value);
    if (error != std::errc()) Fail();
    at_ = static_cast<std::size_t>(end - xml_.data());
    return value;
  }
  std::uint16_t Letters() {
    std::uint32_t column = 0;
    while (at_ < xml_.size() && xml_[at_] >= 'A' && xml_[at_] <= 'Z' && column <= kMaxColumns) {
      column = column * 26 + static_cast<std::uint32_t>(xml_[at_++] - 'A' + 1);
    }
    if (column == 0 || column > kMaxColumns) Fail();
    return static_cast<std::uint16_t>(column);
  }
  [[noreturn]] void Fail() const {
    throw automation::AutomationError(
        "Строки листа, отложенные до сохранения, повреждены (позиция " + std::to_string(at_) + ")");
  }

 private:
  std::string_view xml_;
  std::size_t at_ = 0;
};

void ReadCell(RowReader& in, Row& row, std::uint32_t number) {
  in.Expect("<c r=\"");
  const std::uint16_t column = in.Letters();
  if (in.Unsigned(kMaxRows) != number) in.Fail();
  in.Expect("\"");
  FormatId format = kGeneralFormat;
  if (in.Take(" s=\"")) {
    format = static_cast<FormatId>(in.Unsigned(kMaxFormats - 1));
    in.Expect("\"");
  }
  bool created;
  Cell& cell = row.FindOrInsert(column, format, created);
  if (!created) in.Fail();
  if (in.Take("/>")) return;
  if (in.Take(" t=\"s\"><v>")) {
    cell.SetText(in.Unsigned(UINT32_MAX));
  } else if (in.Take(" t=\"b\"><v>")) {
    cell.SetBoolean(in.Unsigned(1) != 0);
  } else {
    in.Expect("><v>");
    cell.SetNumber(in.Number());
  }
  in.Expect("</v></c>");
}

}  // namespace

std::uint32_t AppendRowXml(std::string& out, std::uint32_t number, const Row& row) {
  if (!row.IsUsed()) return 0;
  const std::span<const Cell> cells = row.Cells();
  const std::size_t start = out.size();
  out.resize(start + kMostRowBytes + cells.size() * kMostCellBytes);
  char* at = Put(out.data() + start, "<row r=\"");
  const RowDigits rowDigits(number);
  at = rowDigits.PutInto(at);
  *at++ = '"';
  if (row.Format() != kNoFormat) {
    at = PutUnsigned(Put(at, " s=\""), row.Format());
    at = Put(at, "\" customFormat=\"1\"");
  }
  std::uint32_t texts = 0;
  if (cells.empty()) {
    at = Put(at, "/>");
  } else {
    *at++ = '>';
    for (const Cell& cell : cells) at = PutCell(at, cell, rowDigits, texts);
    at = Put(at, "</row>");
  }
  out.resize(static_cast<std::size_t>(at - out.data()));
  return texts;
}

std::uint64_t AppendPageXml(std::string& out, std::uint32_t firstRow, std::span<const Row> rows) {
  std::uint64_t texts = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    texts += AppendRowXml(out, firstRow + static_cast<std::uint32_t>(i), rows[i]);
  }
  return texts;
}

void ReadRowsXml(std::string_view xml, std::uint32_t firstRow, std::span<Row> rows) {
  RowReader in(xml);
  while (!in.AtEnd()) {
    in.Expect("<row r=\"");
    const std::uint32_t number = in.Unsigned(kMaxRows);
    if (number < firstRow || number - firstRow >= rows.size()) in.Fail();
    in.Expect("\"");
    Row& row = rows[number - firstRow];
    if (in.Take(" s=\"")) {
      row.SetFormat(static_cast<FormatId>(in.Unsigned(kMaxFormats - 1)));
      in.Expect("\" customFormat=\"1\"");
    }
    if (in.Take("/>")) continue;
    in.Expect(">");
    while (!in.Take("</row>")) ReadCell(in, row, number);
  }
}

}  // namespace z917::workbook::xlsx

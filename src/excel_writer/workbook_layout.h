// The workbook the Excel writer lays out: ten sheets, their captions,
// column widths and number formats.
#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace z917::excel_writer {

// Number format codes in Excel's invariant syntax, where "." marks the
// decimals and "," would group thousands; a reader shows its own separator.
inline constexpr const char* kCounterFormat = "0";
inline constexpr const char* kQuantityFormat = "0.000";
inline constexpr const char* kMoneyFormat = "0.00";
inline constexpr const char* kTextFormat = "@";
// Excel's built-in date-and-time format (22), which a date gets in a cell
// of no format of its own.
inline constexpr const char* kDateTimeFormat = "m/d/yy h:mm";

// One column (or, on the Z-report sheet, one row) of a sheet; a null
// format leaves the number format alone (the date column).
struct ColumnLayout {
  const char* caption;
  int width;
  const char* format;
};

struct SheetLayout {
  const char* name;
  std::span<const ColumnLayout> columns;  // the Z-report: its 30 rows
};

// Positions of the sheets in the workbook, from 0.
enum SheetIndex : std::size_t {
  kSaleSheet,
  kRefundSheet,
  kAnnulSaleSheet,
  kAnnulRefundSheet,
  kCashSheet,
  kReceiptSheet,
  kReturnSheet,
  kZReportSheet,
  kCheckSumSaleSheet,
  kCheckSumRefundSheet,
};
inline constexpr std::size_t kSheetCount = 10;

// The Z-report sheet runs down: captions in column A, values in column B.
inline constexpr std::size_t kZReportRows = 30;
inline constexpr int kZReportCaptionWidth = 30;
inline constexpr int kZReportValueWidth = 15;

// The ten sheets in workbook order.
const std::array<SheetLayout, kSheetCount>& WorkbookLayout();

}  // namespace z917::excel_writer

// How the workbook's number formats become BIFF8 formats and cell XFs:
// each FormatId gets one cell XF, and each format code that is not one
// of Excel's built-in formats a FORMAT record numbered from 164.
#pragma once

#include <cstdint>
#include <vector>

#include "automation/workbook/number_formats.h"
#include "automation/workbook/xls/biff_record.h"

namespace z917::workbook::xls {

// The first index of a format of the workbook's own.
inline constexpr std::uint16_t kFirstCustomFormat = 164;
// Style XFs that lead the XF table; the cell XF of General comes next.
inline constexpr std::uint16_t kStyleXfCount = 15;
inline constexpr std::uint16_t kGeneralCellXf = kStyleXfCount;

class XlsStyles {
 public:
  // Numbers the formats of `formats`.
  explicit XlsStyles(const NumberFormats& formats);

  // The cell XF of a FormatId.
  static std::uint16_t XfOf(FormatId format) {
    return static_cast<std::uint16_t>(kGeneralCellXf + format);
  }
  // The BIFF format index of a FormatId.
  std::uint16_t FormatIndexOf(FormatId format) const { return indices_[format]; }

  // Appends the FORMAT records of the workbook's own formats, then the XF
  // table: the style XFs, then one cell XF per FormatId in id order.
  void WriteFormats(RecordWriter& records) const;
  void WriteXfs(RecordWriter& records) const;

 private:
  const NumberFormats& formats_;
  std::vector<std::uint16_t> indices_;
};

}  // namespace z917::workbook::xls

#include "automation/workbook/xls/styles.h"

#include <string_view>

#include "automation/workbook/xls/unicode_text.h"

namespace z917::workbook::xls {

namespace {

// Built-in formats whose code reads the same in every language version of
// Excel, so that a workbook's own format with that code can use the
// built-in index, as Excel itself does when it saves. (Dates and
// currencies follow the reader's regional settings and stay custom.)
struct BuiltinFormat {
  std::uint16_t index;
  std::string_view code;
};
constexpr BuiltinFormat kPortableBuiltins[] = {
    {1, "0"},          {2, "0.00"},      {3, "#,##0"},     {4, "#,##0.00"},   {9, "0%"},
    {10, "0.00%"},     {11, "0.00E+00"}, {12, "# ?/?"},    {13, "# ?\?/?\?"}, {45, "mm:ss"},
    {46, "[h]:mm:ss"}, {47, "mm:ss.0"},  {48, "##0.0E+0"}, {49, "@"},
};

std::uint16_t PortableBuiltinIndex(std::string_view code) {
  for (const BuiltinFormat& builtin : kPortableBuiltins) {
    if (builtin.code == code) return builtin.index;
  }
  return 0;
}

// The fixed tail of every XF: alignment bottom, no rotation or indent,
// no borders, the default pattern colours.
void AppendXfTail(ByteBuffer& out, std::uint8_t usedAttributes) {
  out.U8(0x20);  // bottom aligned
  out.U8(0);     // rotation
  out.U8(0);     // indent, shrink, reading order
  out.U8(usedAttributes);
  out.U32(0);       // borders
  out.U32(0);       // border colours, pattern
  out.U16(0x20C0);  // pattern colours 64 and 65 (automatic)
}

}  // namespace

XlsStyles::XlsStyles(const NumberFormats& formats) : formats_(formats) {
  indices_.reserve(formats.Count());
  std::uint16_t next = kFirstCustomFormat;
  for (std::size_t id = 0; id < formats.Count(); ++id) {
    const NumberFormat& format = formats.At(static_cast<FormatId>(id));
    std::uint16_t index = format.builtinIndex >= 0 ? static_cast<std::uint16_t>(format.builtinIndex)
                                                   : PortableBuiltinIndex(format.code);
    if (format.builtinIndex < 0 && index == 0) index = next++;
    indices_.push_back(index);
  }
}

void XlsStyles::WriteFormats(RecordWriter& records) const {
  for (std::size_t id = 0; id < indices_.size(); ++id) {
    if (indices_[id] < kFirstCustomFormat) continue;
    records.Begin(rt::kFormat);
    records.Out().U16(indices_[id]);
    AppendString(records.Out(), ToUtf16(formats_.At(static_cast<FormatId>(id)).code));
    records.End();
  }
}

void XlsStyles::WriteXfs(RecordWriter& records) const {
  // Style XF 0 is Normal; 1..14 are the outline styles Excel keeps (1 and
  // 2 on font 1, 3 and 4 on font 2, as Excel writes them).
  for (std::uint16_t i = 0; i < kStyleXfCount; ++i) {
    records.Record(rt::kXf, [&](ByteBuffer& out) {
      out.U16(i == 0 ? 0 : (i <= 2 ? 1 : i <= 4 ? 2 : 0));  // font
      out.U16(0);                                           // General
      out.U16(0xFFF5);                                      // locked, a style, no parent
      AppendXfTail(out, i == 0 ? 0x00 : 0xF4);
    });
  }
  for (std::size_t id = 0; id < indices_.size(); ++id) {
    records.Record(rt::kXf, [&](ByteBuffer& out) {
      out.U16(0);  // font
      out.U16(indices_[id]);
      out.U16(0x0001);                                     // locked, parent style XF 0
      AppendXfTail(out, indices_[id] == 0 ? 0x00 : 0x04);  // the number format is its own
    });
  }
}

}  // namespace z917::workbook::xls

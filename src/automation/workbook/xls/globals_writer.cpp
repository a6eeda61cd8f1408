#include "automation/workbook/xls/globals_writer.h"

#include "automation/workbook/xls/sst_writer.h"
#include "automation/workbook/xls/unicode_text.h"

namespace z917::workbook::xls {

namespace {

constexpr std::uint16_t kGlobalsSubstream = 0x0005;
constexpr std::uint16_t kUtf16CodePage = 1200;
// Excel reserves font index 4; four fonts fill 0..3, all the default.
constexpr int kFontCount = 4;

void WriteWindow1(RecordWriter& records, std::size_t activeSheet) {
  records.Record(rt::kWindow1, [&](ByteBuffer& out) {
    out.U16(0x0168);  // left, top, width, height in twips
    out.U16(0x001E);
    out.U16(0x3A5C);
    out.U16(0x2328);
    out.U16(0x0038);  // scroll bars and sheet tabs shown
    out.U16(static_cast<std::uint16_t>(activeSheet));
    out.U16(0);       // first tab shown
    out.U16(1);       // one sheet selected
    out.U16(0x0258);  // tab bar takes 60% of the width
  });
}

void WriteFonts(RecordWriter& records) {
  const std::u16string name = u"Calibri";
  for (int i = 0; i < kFontCount; ++i) {
    records.Record(rt::kFont, [&](ByteBuffer& out) {
      out.U16(220);     // 11 points
      out.U16(0);       // plain
      out.U16(0x7FFF);  // automatic colour
      out.U16(400);     // normal weight
      out.U16(0);       // neither super- nor subscript
      out.U8(0);        // not underlined
      out.U8(2);        // swiss family
      out.U8(1);        // default character set
      out.U8(0);
      AppendShortString(out, name);
    });
  }
}

std::vector<std::size_t> WriteBoundSheets(RecordWriter& records, const WorkbookModel& workbook) {
  std::vector<std::size_t> offsetFields;
  for (std::size_t s = 0; s < workbook.SheetCount(); ++s) {
    records.Begin(rt::kBoundSheet);
    offsetFields.push_back(records.Out().Size());
    records.Out().U32(0);  // filled in once the sheet is written
    records.Out().U16(0);  // a visible worksheet
    AppendShortString(records.Out(), ToUtf16(workbook.SheetAt(s).Name()));
    records.End();
  }
  return offsetFields;
}

void WriteSst(ByteBuffer& out, const TextPool& texts, std::uint32_t textCells) {
  SstWriter sst(out, 0, textCells, static_cast<std::uint32_t>(texts.Count()));
  for (std::size_t id = 0; id < texts.Count(); ++id) {
    sst.Add(ToUtf16(texts.Text(static_cast<TextId>(id))));
  }
  sst.Finish();
}

}  // namespace

void WriteBof(RecordWriter& records, std::uint16_t substreamType) {
  records.Record(rt::kBof, [&](ByteBuffer& out) {
    out.U16(0x0600);  // BIFF8
    out.U16(substreamType);
    out.U16(0x0DBB);  // build and year of the writing application
    out.U16(0x07CC);
    out.U32(0);  // file history
    out.U32(6);  // lowest BIFF version that can read it
  });
}

std::vector<std::size_t> WriteGlobals(ByteBuffer& out, const WorkbookModel& workbook,
                                      const XlsStyles& styles, std::uint32_t textCells) {
  RecordWriter records(out);
  WriteBof(records, kGlobalsSubstream);
  records.Record(rt::kCodePage, [](ByteBuffer& o) { o.U16(kUtf16CodePage); });
  WriteWindow1(records, workbook.ActiveSheet());
  records.Record(rt::kDateMode, [](ByteBuffer& o) { o.U16(0); });
  WriteFonts(records);
  styles.WriteFormats(records);
  styles.WriteXfs(records);
  records.Record(rt::kStyle, [](ByteBuffer& o) {
    o.U16(0x8000);  // built-in style on XF 0: Normal
    o.U8(0);
    o.U8(0xFF);
  });
  std::vector<std::size_t> offsetFields = WriteBoundSheets(records, workbook);
  WriteSst(out, workbook.Texts(), textCells);
  records.Record(rt::kEof, [](ByteBuffer&) {});
  return offsetFields;
}

}  // namespace z917::workbook::xls

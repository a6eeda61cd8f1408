#include "automation/workbook/xlsx/package_parts.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <span>
#include <vector>

#include "automation/cell_address.h"
#include "automation/workbook/xlsx/xml_text.h"

namespace z917::workbook::xlsx {

namespace {

constexpr std::string_view kDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr std::string_view kMainNamespace =
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
// Also the stem of the relationship types of the workbook's parts.
constexpr std::string_view kRelationshipsNamespace =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr std::string_view kTypeStem = "application/vnd.openxmlformats-officedocument.";

// The width libxlsxwriter gave a column with a format but no width of its
// own (Excel's default of 8.43 characters); it wrote no customWidth then.
constexpr double kDefaultColumnWidth = 8.43;

std::string Start() { return std::string(kDeclaration); }

std::string Number(double value) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, end);
}

void AppendOverride(std::string& out, std::string_view part, std::string_view type) {
  out += "<Override PartName=\"/";
  out += part;
  out += "\" ContentType=\"";
  out += type;
  out += "\"/>";
}

void AppendRelationship(std::string& out, std::size_t id, std::string_view type,
                        std::string_view target) {
  out += "<Relationship Id=\"rId" + std::to_string(id) + "\" Type=\"";
  out += type;
  out += "\" Target=\"";
  out += target;
  out += "\"/>";
}

std::string WorkbookRelationshipType(std::string_view name) {
  return std::string(kRelationshipsNamespace) + "/" + std::string(name);
}

// The range a <dimension> names: one cell alone, "A1" for a sheet without cells.
std::string Dimension(const Sheet& sheet) {
  if (!sheet.HasCells()) return "A1";
  const CellRect used = sheet.UsedRect();
  std::string ref = automation::ColumnLetters(used.firstColumn) + std::to_string(used.firstRow);
  if (used.RowCount() == 1 && used.ColumnCount() == 1) return ref;
  return ref + ":" + automation::ColumnLetters(used.lastColumn) + std::to_string(used.lastRow);
}

void AppendColumn(std::string& out, std::size_t first, std::size_t last, const ColumnInfo& info) {
  const double chars = info.HasWidth() ? info.width : kDefaultColumnWidth;
  out += "<col min=\"" + std::to_string(first) + "\" max=\"" + std::to_string(last) +
         "\" width=\"" + Number(StoredColumnWidth(chars)) + "\"";
  // The xf of General is every column's without being named.
  if (info.format != kNoFormat && info.format != kGeneralFormat) {
    out += " style=\"" + std::to_string(info.format) + "\"";
  }
  if (chars != kDefaultColumnWidth) out += " customWidth=\"1\"";
  out += "/>";
}

// Columns grouped as today's files group them, so that a reader sees the
// same ranges: neighbours with the same format and the same width, or both
// without one, share an element; columns without either are left out.
void AppendColumns(std::string& out, std::span<const ColumnInfo> columns) {
  std::string cols;
  for (std::size_t first = 0; first < columns.size();) {
    const ColumnInfo& info = columns[first];
    std::size_t last = first;
    while (last + 1 < columns.size() && columns[last + 1].format == info.format &&
           (columns[last + 1].width == info.width ||
            (!columns[last + 1].HasWidth() && !info.HasWidth()))) {
      ++last;
    }
    if (info.HasWidth() || info.format != kNoFormat) AppendColumn(cols, first + 1, last + 1, info);
    first = last + 1;
  }
  if (!cols.empty()) out += "<cols>" + cols + "</cols>";
}

// The numFmtId of each FormatId: built-in ones by index, the others from 164.
std::vector<int> NumberFormatIds(const NumberFormats& formats) {
  std::vector<int> ids(formats.Count());
  int next = 164;
  for (std::size_t id = 0; id < ids.size(); ++id) {
    const int builtin = formats.At(static_cast<FormatId>(id)).builtinIndex;
    ids[id] = builtin >= 0 ? builtin : next++;
  }
  return ids;
}

void AppendNumberFormats(std::string& out, const NumberFormats& formats,
                         const std::vector<int>& ids) {
  std::string list;
  std::size_t count = 0;
  for (std::size_t id = 0; id < ids.size(); ++id) {
    const NumberFormat& format = formats.At(static_cast<FormatId>(id));
    if (format.builtinIndex >= 0) continue;
    list += "<numFmt numFmtId=\"" + std::to_string(ids[id]) + "\" formatCode=\"";
    AppendAttribute(list, format.code);
    list += "\"/>";
    ++count;
  }
  if (count != 0) out += "<numFmts count=\"" + std::to_string(count) + "\">" + list + "</numFmts>";
}

void AppendCellXfs(std::string& out, const std::vector<int>& ids) {
  out += "<cellXfs count=\"" + std::to_string(ids.size()) + "\">";
  for (const int id : ids) {
    out += "<xf numFmtId=\"" + std::to_string(id) + "\" fontId=\"0\" fillId=\"0\" borderId=\"0\"";
    out += id != 0 ? " xfId=\"0\" applyNumberFormat=\"1\"/>" : " xfId=\"0\"/>";
  }
  out += "</cellXfs>";
}

// `unixTime` as W3CDTF in UTC: "2023-11-14T22:13:20Z".
std::string UtcStamp(std::int64_t unixTime) {
  using namespace std::chrono;
  const sys_seconds time{seconds{unixTime}};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, "%04d-%02u-%02uT%02d:%02d:%02dZ", int{date.year()},
                unsigned{date.month()}, unsigned{date.day()},
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return stamp;
}

}  // namespace

std::string WorksheetName(std::size_t index) {
  return "xl/worksheets/sheet" + std::to_string(index + 1) + ".xml";
}

std::string ContentTypesPart(std::size_t sheetCount, bool hasSharedStrings) {
  const std::string sheetMl = std::string(kTypeStem) + "spreadsheetml.";
  std::string out = Start();
  out += "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">";
  out +=
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>";
  out += "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
  AppendOverride(out, kWorkbookName, sheetMl + "sheet.main+xml");
  for (std::size_t i = 0; i < sheetCount; ++i) {
    AppendOverride(out, WorksheetName(i), sheetMl + "worksheet+xml");
  }
  AppendOverride(out, kStylesName, sheetMl + "styles+xml");
  if (hasSharedStrings) AppendOverride(out, kSharedStringsName, sheetMl + "sharedStrings+xml");
  AppendOverride(out, kCorePropertiesName,
                 "application/vnd.openxmlformats-package.core-properties+xml");
  AppendOverride(out, kAppPropertiesName, std::string(kTypeStem) + "extended-properties+xml");
  return out + "</Types>";
}

std::string RootRelationshipsPart() {
  std::string out = Start();
  out += "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  AppendRelationship(out, 1, WorkbookRelationshipType("officeDocument"), kWorkbookName);
  AppendRelationship(
      out, 2,
      "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
      kCorePropertiesName);
  AppendRelationship(out, 3, WorkbookRelationshipType("extended-properties"), kAppPropertiesName);
  return out + "</Relationships>";
}

std::string AppPropertiesPart(const WorkbookModel& workbook) {
  const std::string count = std::to_string(workbook.SheetCount());
  std::string out = Start();
  out +=
      "<Properties "
      "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
      "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
      "<Application>Microsoft Excel</Application><DocSecurity>0</DocSecurity>"
      "<ScaleCrop>false</ScaleCrop><HeadingPairs><vt:vector size=\"2\" baseType=\"variant\">"
      "<vt:variant><vt:lpstr>Worksheets</vt:lpstr></vt:variant><vt:variant><vt:i4>" +
      count + "</vt:i4></vt:variant></vt:vector></HeadingPairs>";
  out += "<TitlesOfParts><vt:vector size=\"" + count + "\" baseType=\"lpstr\">";
  for (std::size_t i = 0; i < workbook.SheetCount(); ++i) {
    out += "<vt:lpstr>";
    // Sheet names hold no control characters: escaping for an attribute
    // serves as element text too.
    AppendAttribute(out, workbook.SheetAt(i).Name());
    out += "</vt:lpstr>";
  }
  out +=
      "</vt:vector></TitlesOfParts><LinksUpToDate>false</LinksUpToDate>"
      "<SharedDoc>false</SharedDoc><HyperlinksChanged>false</HyperlinksChanged>"
      "<AppVersion>12.0000</AppVersion></Properties>";
  return out;
}

std::string CorePropertiesPart(std::int64_t unixTime) {
  const std::string stamp = UtcStamp(unixTime);
  std::string out = Start();
  out +=
      "<cp:coreProperties "
      "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
      "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">";
  for (const char* element : {"created", "modified"}) {
    out += std::string("<dcterms:") + element + " xsi:type=\"dcterms:W3CDTF\">" + stamp +
           "</dcterms:" + element + ">";
  }
  return out + "</cp:coreProperties>";
}

std::string WorkbookPart(const WorkbookModel& workbook) {
  std::string out = Start();
  out += "<workbook xmlns=\"" + std::string(kMainNamespace) + "\" xmlns:r=\"" +
         std::string(kRelationshipsNamespace) + "\"><bookViews><workbookView";
  if (workbook.ActiveSheet() != 0) {
    out += " activeTab=\"" + std::to_string(workbook.ActiveSheet()) + "\"";
  }
  out += "/></bookViews><sheets>";
  for (std::size_t i = 0; i < workbook.SheetCount(); ++i) {
    const std::string id = std::to_string(i + 1);
    out += "<sheet name=\"";
    AppendAttribute(out, workbook.SheetAt(i).Name());
    out += "\" sheetId=\"" + id + "\" r:id=\"rId" + id + "\"/>";
  }
  return out + "</sheets></workbook>";
}

std::string WorkbookRelationshipsPart(std::size_t sheetCount, bool hasSharedStrings) {
  std::string out = Start();
  out += "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  const std::string worksheetType = WorkbookRelationshipType("worksheet");
  for (std::size_t i = 0; i < sheetCount; ++i) {
    // Targets are relative to xl/, where the workbook is.
    AppendRelationship(out, i + 1, worksheetType, WorksheetName(i).substr(3));
  }
  AppendRelationship(out, sheetCount + 1, WorkbookRelationshipType("styles"),
                     kStylesName.substr(3));
  if (hasSharedStrings) {
    AppendRelationship(out, sheetCount + 2, WorkbookRelationshipType("sharedStrings"),
                       kSharedStringsName.substr(3));
  }
  return out + "</Relationships>";
}

std::string StylesPart(const NumberFormats& formats) {
  const std::vector<int> ids = NumberFormatIds(formats);
  std::string out = Start();
  out += "<styleSheet xmlns=\"" + std::string(kMainNamespace) + "\">";
  AppendNumberFormats(out, formats, ids);
  // No theme part: the font names itself rather than the theme's.
  out +=
      "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/>"
      "<family val=\"2\"/></font></fonts>"
      "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
      "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
      "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border>"
      "</borders><cellStyleXfs count=\"1\">"
      "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>";
  AppendCellXfs(out, ids);
  out +=
      "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
      "</cellStyles></styleSheet>";
  return out;
}

double StoredColumnWidth(double chars) {
  constexpr double kDigit = 7, kPadding = 5;
  if (!(chars > 0)) return 0;
  // A column narrower than a digit gets its padding in proportion.
  const double pixels = chars < 1 ? std::floor(chars * (kDigit + kPadding) + 0.5)
                                  : std::floor(chars * kDigit + 0.5) + kPadding;
  return std::floor(pixels / kDigit * 256) / 256;
}

std::string WorksheetHead(const Sheet& sheet, bool active) {
  std::string out = Start();
  out += "<worksheet xmlns=\"" + std::string(kMainNamespace) + "\" xmlns:r=\"" +
         std::string(kRelationshipsNamespace) + "\"><dimension ref=\"" + Dimension(sheet) +
         "\"/><sheetViews><sheetView" + (active ? " tabSelected=\"1\"" : "") +
         " workbookViewId=\"0\"/></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>";
  AppendColumns(out, sheet.Columns());
  return out + "<sheetData>";
}

std::string_view WorksheetTail() {
  return "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
         "header=\"0.3\" footer=\"0.3\"/></worksheet>";
}

std::string SharedStringsHead(std::uint64_t count, std::size_t unique) {
  return Start() + "<sst xmlns=\"" + std::string(kMainNamespace) + "\" count=\"" +
         std::to_string(count) + "\" uniqueCount=\"" + std::to_string(unique) + "\">";
}

void AppendSharedString(std::string& out, std::string_view utf8) {
  out += NeedsPreserve(utf8) ? "<si><t xml:space=\"preserve\">" : "<si><t>";
  AppendText(out, utf8);
  out += "</t></si>";
}

std::string_view SharedStringsTail() { return "</sst>"; }

}  // namespace z917::workbook::xlsx

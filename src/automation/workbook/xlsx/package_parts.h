// The parts of an .xlsx package other than the worksheets' rows: each
// function gives a part's whole XML text (UTF-8, with the XML declaration,
// standalone as Excel writes it), or the text before and after the rows
// that the writer streams. Part names are the ones the parts refer to.
// None fails other than by std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "automation/workbook/number_formats.h"
#include "automation/workbook/sheet.h"
#include "automation/workbook/workbook_model.h"

namespace z917::workbook::xlsx {

inline constexpr std::string_view kContentTypesName = "[Content_Types].xml";
inline constexpr std::string_view kRootRelationshipsName = "_rels/.rels";
inline constexpr std::string_view kAppPropertiesName = "docProps/app.xml";
inline constexpr std::string_view kCorePropertiesName = "docProps/core.xml";
inline constexpr std::string_view kWorkbookName = "xl/workbook.xml";
inline constexpr std::string_view kWorkbookRelationshipsName = "xl/_rels/workbook.xml.rels";
inline constexpr std::string_view kStylesName = "xl/styles.xml";
inline constexpr std::string_view kSharedStringsName = "xl/sharedStrings.xml";
// The name of the part of sheet `index` (from 0): "xl/worksheets/sheet1.xml".
std::string WorksheetName(std::size_t index);

// [Content_Types].xml: the types of the parts of a package of `sheetCount`
// sheets, with or without the shared strings.
std::string ContentTypesPart(std::size_t sheetCount, bool hasSharedStrings);
// _rels/.rels: the workbook, the core and the extended properties.
std::string RootRelationshipsPart();
// docProps/app.xml: the application and the names of the sheets in order.
std::string AppPropertiesPart(const WorkbookModel& workbook);
// docProps/core.xml: created and modified at `unixTime` (seconds since
// 1970, UTC), written "YYYY-MM-DDTHH:MM:SSZ".
std::string CorePropertiesPart(std::int64_t unixTime);
// xl/workbook.xml: the sheets in order (sheet i has sheetId i+1 and
// relationship rId{i+1}) and the active sheet.
std::string WorkbookPart(const WorkbookModel& workbook);
// xl/_rels/workbook.xml.rels: rId1..rIdN the sheets, then the styles, then
// the shared strings when there are any.
std::string WorkbookRelationshipsPart(std::size_t sheetCount, bool hasSharedStrings);
// xl/styles.xml: cell format (xf) i for FormatId i, every id in order, so
// that a cell carries s="FormatId". Built-in number formats go by their
// index, the workbook's own as <numFmt> numbered from 164.
std::string StylesPart(const NumberFormats& formats);

// The width a <col> element stores for a column `chars` characters wide:
// Excel's width of the column in pixels (7 per digit, 5 of padding) over
// the digit's, in 256ths. 0 for 0.
double StoredColumnWidth(double chars);
// A worksheet part up to its rows: the used rectangle, the view (selected
// when `active`), the default row height, the columns' widths and formats,
// then "<sheetData>".
std::string WorksheetHead(const Sheet& sheet, bool active);
// A worksheet part after its rows, from "</sheetData>" to the end.
std::string_view WorksheetTail();

// xl/sharedStrings.xml up to its texts, for `count` text cells and
// `unique` distinct texts.
std::string SharedStringsHead(std::uint64_t count, std::size_t unique);
// Appends one text of the shared strings as its <si> element.
void AppendSharedString(std::string& out, std::string_view utf8);
// The shared strings after their texts.
std::string_view SharedStringsTail();

}  // namespace z917::workbook::xlsx

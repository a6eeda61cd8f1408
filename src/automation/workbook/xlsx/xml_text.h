// Texts of the workbook as the XML of an .xlsx package carries them.
#pragma once

#include <string>
#include <string_view>

namespace z917::workbook::xlsx {

// Appends `utf8` (well-formed, without NUL) as element text the way Excel
// keeps cell and shared-string texts: & < > as entities; C0 controls other
// than tab and LF (CR included), U+FFFE and U+FFFF as "_xHHHH_"; and the
// underscore of a literal "_xHHHH_" (x in either case) as "_x005F_" so that
// a reader does not decode it. Fails only by std::bad_alloc.
void AppendText(std::string& out, std::string_view utf8);

// Whether the element text of `utf8` needs xml:space="preserve": it begins
// or ends with white space, which readers may otherwise trim. Never fails.
bool NeedsPreserve(std::string_view utf8);

// Appends `utf8` escaped for a double-quoted attribute value: & < > " as
// entities, tab, LF and CR as character references so that attribute
// normalisation keeps them. Fails only by std::bad_alloc.
void AppendAttribute(std::string& out, std::string_view utf8);

}  // namespace z917::workbook::xlsx

// Proposed output names: the journal's own path and name, another extension.
#include "app/output_name.h"

namespace z917::app {

QString ExcelExtensionFor(std::uint32_t excelVersion) {
  return excelVersion > 11 ? QStringLiteral(".xlsx") : QStringLiteral(".xls");
}

QString ProposedOutputName(const QString& journalPath, const QString& extension) {
  const qsizetype nameStart = journalPath.lastIndexOf(u'/') + 1;
  const qsizetype dot = journalPath.lastIndexOf(u'.');
  const qsizetype stemEnd = dot >= nameStart ? dot : journalPath.size();
  return journalPath.left(stemEnd) + extension;
}

}  // namespace z917::app

// The Z-reports of one workbook, kept so that every one of them gets a
// column on the Z-report sheet, however many a damaged journal holds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "journal/grouped_entry_writer.h"

namespace z917::excel_writer {

// One Z-report's values as the journal gives them; the header's position
// plays no part.
struct ZReportValues {
  journal::EntryHeader header{};
  journal::ZReportTotals totals;
  std::string cashierName;  // Windows-1251
};

// The newest `capacity` Z-reports: a ring, so that memory stays bounded
// whatever the journal holds; the oldest drop out first.
class ZReportHistory {
 public:
  // A history of at most `capacity` reports (at least one).
  explicit ZReportHistory(std::size_t capacity);

  // Adds `report` as the newest, dropping the oldest when full.
  void Add(ZReportValues report);
  // Forgets every report.
  void Clear();

  // How many reports are kept.
  std::size_t Size() const { return size_; }
  // The report `age` steps back from the newest (0 the newest itself);
  // `age` must be below Size().
  const ZReportValues& Newest(std::size_t age) const;

 private:
  std::vector<ZReportValues> slots_;
  std::size_t capacity_;
  std::size_t next_ = 0;  // the slot the next report goes to
  std::size_t size_ = 0;
};

}  // namespace z917::excel_writer

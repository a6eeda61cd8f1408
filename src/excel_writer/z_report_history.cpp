#include "excel_writer/z_report_history.h"

#include <algorithm>

namespace z917::excel_writer {

ZReportHistory::ZReportHistory(std::size_t capacity)
    : capacity_(std::max<std::size_t>(capacity, 1)) {}

void ZReportHistory::Add(ZReportValues report) {
  // Slots grow with the journal, so a short one costs only what it holds.
  if (slots_.size() < capacity_) {
    slots_.push_back(std::move(report));
  } else {
    slots_[next_] = std::move(report);
  }
  next_ = (next_ + 1) % capacity_;
  size_ = std::min(size_ + 1, capacity_);
}

void ZReportHistory::Clear() {
  slots_.clear();
  slots_.shrink_to_fit();
  next_ = 0;
  size_ = 0;
}

const ZReportValues& ZReportHistory::Newest(std::size_t age) const {
  return slots_[(next_ + capacity_ - 1 - age) % capacity_];
}

}  // namespace z917::excel_writer

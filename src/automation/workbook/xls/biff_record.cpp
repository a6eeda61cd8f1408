#include "automation/workbook/xls/biff_record.h"

namespace z917::workbook::xls {

void RecordWriter::Begin(std::uint16_t type) {
  start_ = out_.Size();
  out_.U16(type);
  out_.U16(0);
}

void RecordWriter::End() {
  const std::size_t body = out_.Size() - start_ - 4;
  if (body <= kMaxRecordBody) {
    out_.PatchU16(start_ + 2, static_cast<std::uint16_t>(body));
    return;
  }
  // Rare: walk the body in kMaxRecordBody pieces, giving each piece after
  // the first a CONTINUE header of its own.
  out_.PatchU16(start_ + 2, static_cast<std::uint16_t>(kMaxRecordBody));
  std::size_t pieceStart = start_ + 4 + kMaxRecordBody;  // where the next header goes
  std::size_t left = body - kMaxRecordBody;
  while (left > 0) {
    const std::size_t piece = left < kMaxRecordBody ? left : kMaxRecordBody;
    out_.InsertZeros(pieceStart, 4);
    out_.PatchU16(pieceStart, rt::kContinue);
    out_.PatchU16(pieceStart + 2, static_cast<std::uint16_t>(piece));
    pieceStart += 4 + piece;
    left -= piece;
  }
}

}  // namespace z917::workbook::xls

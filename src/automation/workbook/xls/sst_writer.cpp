#include "automation/workbook/xls/sst_writer.h"

#include <algorithm>

#include "automation/workbook/xls/biff_record.h"
#include "automation/workbook/xls/unicode_text.h"

namespace z917::workbook::xls {

static_assert(kMaxRecordBody == 8224);

SstWriter::SstWriter(ByteBuffer& out, std::size_t streamBase, std::uint32_t references,
                     std::uint32_t unique)
    : out_(out), streamBase_(streamBase), perBucket_(StringsPerBucket(unique)) {
  StartRecord(rt::kSst);
  out_.U32(references);
  out_.U32(unique);
}

std::uint16_t SstWriter::StringsPerBucket(std::uint32_t unique) {
  // The count Excel itself writes, unique / 128 + 1 and never under 8,
  // held to the field's 16 bits.
  const std::uint32_t perBucket = std::max<std::uint32_t>(8, unique / 128 + 1);
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(perBucket, 0xFFFF));
}

void SstWriter::StartRecord(std::uint16_t type) {
  recordStart_ = out_.Size();
  out_.U16(type);
  out_.U16(0);
}

void SstWriter::EndRecord() {
  out_.PatchU16(recordStart_ + 2, static_cast<std::uint16_t>(out_.Size() - recordStart_ - 4));
}

void SstWriter::Add(std::u16string_view text) {
  const bool wide = !IsCompressible(text);
  const std::size_t unit = wide ? 2 : 1;
  // Length, flags and the first character must not be split.
  if (Room() < 3 + unit) {
    EndRecord();
    StartRecord(rt::kContinue);
  }
  if (added_++ % perBucket_ == 0) {
    buckets_.push_back({static_cast<std::uint32_t>(streamBase_ + out_.Size()),
                        static_cast<std::uint16_t>(out_.Size() - recordStart_)});
  }
  out_.U16(static_cast<std::uint16_t>(text.size()));
  out_.U8(wide ? 1 : 0);
  while (true) {
    const std::size_t fit = std::min(text.size(), Room() / unit);
    AppendCharacters(out_, text.substr(0, fit), wide);
    text.remove_prefix(fit);
    if (text.empty()) break;
    // The rest continues in a new record that starts with the flags again.
    EndRecord();
    StartRecord(rt::kContinue);
    out_.U8(wide ? 1 : 0);
  }
}

void SstWriter::Finish() {
  EndRecord();
  RecordWriter records(out_);
  records.Begin(rt::kExtSst);
  out_.U16(perBucket_);
  for (const Bucket& bucket : buckets_) {
    out_.U32(bucket.streamPosition);
    out_.U16(bucket.recordOffset);
    out_.U16(0);
  }
  records.End();
}

}  // namespace z917::workbook::xls

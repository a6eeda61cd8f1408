// The shared string table (SST) that text cells refer to by index, and
// the EXTSST index that lets a reader find every n-th string quickly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "automation/workbook/xls/byte_buffer.h"

namespace z917::workbook::xls {

// Appends SST, its CONTINUE records and EXTSST to a buffer whose first
// byte is at `streamBase` in the workbook stream. A string that does not
// fit in the current record goes on in a CONTINUE record that repeats its
// flags byte; a string's length, flags and first character always stay
// in one record. Usage: Add every string in index order, then Finish.
class SstWriter {
 public:
  // `references`: how many cells refer to the table; `unique`: how many
  // strings Add will receive.
  SstWriter(ByteBuffer& out, std::size_t streamBase, std::uint32_t references,
            std::uint32_t unique);

  // Adds the next string; its UTF-16 length must not exceed 65,535 units.
  void Add(std::u16string_view text);
  // Ends the SST and appends EXTSST.
  void Finish();

  // Strings per EXTSST bucket for `unique` strings: at least 8, and no
  // more than 128 buckets.
  static std::uint16_t StringsPerBucket(std::uint32_t unique);

 private:
  struct Bucket {
    std::uint32_t streamPosition;
    std::uint16_t recordOffset;
  };

  std::size_t Room() const { return kBodyLimit - (out_.Size() - recordStart_ - 4); }
  void StartRecord(std::uint16_t type);
  void EndRecord();

  static constexpr std::size_t kBodyLimit = 8224;

  ByteBuffer& out_;
  std::size_t streamBase_;
  std::size_t recordStart_ = 0;
  std::uint16_t perBucket_;
  std::uint32_t added_ = 0;
  std::vector<Bucket> buckets_;
};

}  // namespace z917::workbook::xls

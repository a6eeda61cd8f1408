// The zip container of the .xlsx package, written front to back: for each
// entry a local header with its real CRC and sizes (known before its data,
// which arrives as deflated pieces), then the central directory and the
// end records. Classic layout, as Excel's own files have it: no data
// descriptors, comments or extra fields, save ZIP64 where a size, an
// offset or the entry count needs it.
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "automation/workbook/xlsx/deflate.h"

namespace z917::workbook::xlsx {

// Where a zip goes, held by reference: anything with
// Append(std::span<const std::uint8_t>) and Size() (the bytes it holds),
// platform::AtomicFile among them.
class ZipSink {
 public:
  // Not explicit: a ZipWriter takes the sink itself.
  template <typename Sink>
  requires(!std::same_as<std::remove_cvref_t<Sink>, ZipSink>) &&
      requires(Sink& s, std::span<const std::uint8_t> b) {
    s.Append(b);
    { s.Size() } -> std::convertible_to<std::uint64_t>;
  }
  ZipSink(Sink& sink)
      : sink_(&sink),
        append_([](void* s, std::span<const std::uint8_t> b) { static_cast<Sink*>(s)->Append(b); }),
        size_([](const void* s) -> std::uint64_t { return static_cast<const Sink*>(s)->Size(); }) {}

  void Append(std::span<const std::uint8_t> bytes) const { append_(sink_, bytes); }
  std::uint64_t Size() const { return size_(sink_); }

 private:
  void* sink_;
  void (*append_)(void*, std::span<const std::uint8_t>);
  std::uint64_t (*size_)(const void*);
};

// Usage: for each entry BeginEntry, Write its data (the pieces in order,
// then FinalBlock) and EndEntry, or AddWhole; then Finish. Only the writer
// appends to the sink meanwhile. Whatever the sink throws
// (platform::FileError, platform::FileCancelled) passes through untouched,
// and the writer is of no further use; misuse throws std::logic_error.
class ZipWriter {
 public:
  // `unixTime`: the moment every entry carries, in seconds since 1970 UTC,
  // stored as a DOS date and time in UTC (to the even second below);
  // moments before 1980 become 1980-01-01 00:00, those after 2107 the last
  // moment of 2107. Entries' offsets count from the start of the sink, so
  // the zip may follow bytes already in it.
  ZipWriter(ZipSink sink, std::int64_t unixTime);
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Starts an entry (method 8, deflate) named `name` (UTF-8, not empty,
  // at most 65,535 bytes; general purpose bit 11 is set when not ASCII),
  // whose data of exactly `sizes` the caller then appends with Write. The
  // local header carries the real CRC and sizes; a ZIP64 extra field
  // holds both sizes there when either reaches 0xFFFFFFFF. An entry with
  // any ZIP64 field (sizes, or its header's offset in the central
  // directory) needs version 4.5 in both headers, else 2.0. Throws
  // std::logic_error when an entry is open or the zip finished,
  // std::invalid_argument for a name out of bounds.
  void BeginEntry(std::string_view name, const EntrySizes& sizes);
  // Appends the next bytes of the open entry's data; throws
  // std::logic_error when no entry is open or the bytes would pass its
  // declared compressed size.
  void Write(std::span<const std::uint8_t> bytes);
  // Ends the entry; throws std::logic_error when the bytes written differ
  // from its declared compressed size.
  void EndEntry();

  // Deflates `data` whole (one piece and FinalBlock) with `deflater` and
  // adds it as an entry.
  void AddWhole(std::string_view name, std::string_view data, Deflater& deflater);

  // Writes the central directory and the end record, with the ZIP64 end
  // record and its locator before it when an offset, the directory's size
  // or the entry count reaches the classic fields' limit (which then hold
  // 0xFFFFFFFF or 0xFFFF). Throws std::logic_error when an entry is open.
  void Finish();

 private:
  struct Entry {
    std::string name;
    EntrySizes sizes;
    std::uint64_t offset = 0;
  };

  void Append(std::span<const std::uint8_t> bytes);

  ZipSink sink_;
  std::uint16_t dosTime_ = 0;
  std::uint16_t dosDate_ = 0;
  std::uint64_t offset_ = 0;
  std::vector<Entry> entries_;
  bool open_ = false;
  bool finished_ = false;
  std::uint64_t written_ = 0;  // of the open entry's data
  DeflatedPiece whole_;        // AddWhole's, kept for its capacity
};

}  // namespace z917::workbook::xlsx

#include "automation/workbook/xlsx/zip_writer.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "automation/workbook/xls/byte_buffer.h"

namespace z917::workbook::xlsx {

namespace {

using xls::ByteBuffer;

constexpr std::uint32_t kLocalHeader = 0x04034B50;
constexpr std::uint32_t kCentralHeader = 0x02014B50;
constexpr std::uint32_t kZip64End = 0x06064B50;
constexpr std::uint32_t kZip64Locator = 0x07064B50;
constexpr std::uint32_t kEnd = 0x06054B50;
constexpr std::uint16_t kZip64ExtraId = 0x0001;

// Version 2.0 (deflate), 4.5 (ZIP64); "made by" the same, on MS-DOS.
constexpr std::uint16_t kVersionDeflate = 20;
constexpr std::uint16_t kVersionZip64 = 45;
constexpr std::uint16_t kMethodDeflate = 8;
constexpr std::uint16_t kFlagUtf8Name = 1 << 11;

// A classic field at its limit says "see the ZIP64 field".
constexpr std::uint64_t kMax32 = 0xFFFFFFFF;
constexpr std::uint64_t kMax16 = 0xFFFF;

void U64(ByteBuffer& out, std::uint64_t v) {
  out.U32(static_cast<std::uint32_t>(v));
  out.U32(static_cast<std::uint32_t>(v >> 32));
}

// The classic field's value: `v` itself, or the limit when `v` reaches it.
std::uint32_t Field32(std::uint64_t v) { return static_cast<std::uint32_t>(std::min(v, kMax32)); }
std::uint16_t Field16(std::uint64_t v) { return static_cast<std::uint16_t>(std::min(v, kMax16)); }

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

bool SizesNeedZip64(const EntrySizes& sizes) {
  return sizes.compressed >= kMax32 || sizes.raw >= kMax32;
}

std::uint16_t VersionOf(const EntrySizes& sizes, std::uint64_t offset) {
  return SizesNeedZip64(sizes) || offset >= kMax32 ? kVersionZip64 : kVersionDeflate;
}

std::uint16_t FlagsOf(std::string_view name) {
  const bool ascii = std::all_of(name.begin(), name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return ascii ? 0 : kFlagUtf8Name;
}

struct DosDateTime {
  std::uint16_t time;
  std::uint16_t date;
};

DosDateTime ToDos(std::int64_t unixTime) {
  using namespace std::chrono;
  constexpr sys_seconds kFirst{sys_days{year{1980} / January / 1}};
  constexpr sys_seconds kLast{sys_days{year{2108} / January / 1} - seconds{1}};
  const sys_seconds moment = std::clamp(sys_seconds{seconds{unixTime}}, kFirst, kLast);
  const sys_days day = floor<days>(moment);
  const year_month_day ymd{day};
  const hh_mm_ss time{moment - day};
  return {static_cast<std::uint16_t>(time.hours().count() << 11 | time.minutes().count() << 5 |
                                     time.seconds().count() / 2),
          static_cast<std::uint16_t>((static_cast<int>(ymd.year()) - 1980) << 9 |
                                     static_cast<unsigned>(ymd.month()) << 5 |
                                     static_cast<unsigned>(ymd.day()))};
}

}  // namespace

ZipWriter::ZipWriter(ZipSink sink, std::int64_t unixTime) : sink_(sink), offset_(sink.Size()) {
  const DosDateTime dos = ToDos(unixTime);
  dosTime_ = dos.time;
  dosDate_ = dos.date;
}

void ZipWriter::Append(std::span<const std::uint8_t> bytes) {
  sink_.Append(bytes);
  offset_ += bytes.size();
}

void ZipWriter::BeginEntry(std::string_view name, const EntrySizes& sizes) {
  if (open_ || finished_) throw std::logic_error("zip entry begun while another is open");
  if (name.empty() || name.size() > kMax16) throw std::invalid_argument("zip entry name size");
  const bool zip64 = SizesNeedZip64(sizes);
  ByteBuffer header;
  header.U32(kLocalHeader);
  header.U16(VersionOf(sizes, offset_));
  header.U16(FlagsOf(name));
  header.U16(kMethodDeflate);
  header.U16(dosTime_);
  header.U16(dosDate_);
  header.U32(sizes.crc);
  // Both at the limit with the ZIP64 field, else both fit.
  header.U32(zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(sizes.compressed));
  header.U32(zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(sizes.raw));
  header.U16(static_cast<std::uint16_t>(name.size()));
  header.U16(zip64 ? 4 + 16 : 0);
  header.Bytes(Bytes(name));
  if (zip64) {
    // In a local header the field holds both sizes, whatever they are.
    header.U16(kZip64ExtraId);
    header.U16(16);
    U64(header, sizes.raw);
    U64(header, sizes.compressed);
  }
  entries_.push_back({std::string(name), sizes, offset_});
  Append(header.View());
  open_ = true;
  written_ = 0;
}

void ZipWriter::Write(std::span<const std::uint8_t> bytes) {
  if (!open_) throw std::logic_error("zip data written outside an entry");
  if (bytes.size() > entries_.back().sizes.compressed - written_) {
    throw std::logic_error("zip entry data longer than declared");
  }
  Append(bytes);
  written_ += bytes.size();
}

void ZipWriter::EndEntry() {
  if (!open_) throw std::logic_error("zip entry ended but none is open");
  if (written_ != entries_.back().sizes.compressed) {
    throw std::logic_error("zip entry data shorter than declared");
  }
  open_ = false;
}

void ZipWriter::AddWhole(std::string_view name, std::string_view data, Deflater& deflater) {
  deflater.Compress(Bytes(data), whole_);
  EntrySizes sizes;
  AddPiece(sizes, whole_);
  AddFinalBlock(sizes);
  BeginEntry(name, sizes);
  Write(whole_.bytes);
  Write(FinalBlock());
  EndEntry();
}

void ZipWriter::Finish() {
  if (open_ || finished_) throw std::logic_error("zip finished with an entry open, or twice");
  const std::uint64_t directoryOffset = offset_;
  ByteBuffer directory;
  for (const Entry& entry : entries_) {
    // The ZIP64 field holds, in this order, those of the sizes and the
    // offset that reach the classic limit.
    const bool rawBig = entry.sizes.raw >= kMax32;
    const bool compressedBig = entry.sizes.compressed >= kMax32;
    const bool offsetBig = entry.offset >= kMax32;
    const auto extra = static_cast<std::uint16_t>(8 * (rawBig + compressedBig + offsetBig));
    const std::uint16_t version = VersionOf(entry.sizes, entry.offset);
    directory.U32(kCentralHeader);
    directory.U16(version);  // made by, on MS-DOS
    directory.U16(version);  // needed to extract
    directory.U16(FlagsOf(entry.name));
    directory.U16(kMethodDeflate);
    directory.U16(dosTime_);
    directory.U16(dosDate_);
    directory.U32(entry.sizes.crc);
    directory.U32(Field32(entry.sizes.compressed));
    directory.U32(Field32(entry.sizes.raw));
    directory.U16(static_cast<std::uint16_t>(entry.name.size()));
    directory.U16(extra > 0 ? static_cast<std::uint16_t>(4 + extra) : 0);
    directory.U16(0);  // comment
    directory.U16(0);  // disk
    directory.U16(0);  // internal attributes
    directory.U32(0);  // external attributes
    directory.U32(Field32(entry.offset));
    directory.Bytes(Bytes(entry.name));
    if (extra > 0) {
      directory.U16(kZip64ExtraId);
      directory.U16(extra);
      if (rawBig) U64(directory, entry.sizes.raw);
      if (compressedBig) U64(directory, entry.sizes.compressed);
      if (offsetBig) U64(directory, entry.offset);
    }
  }
  const std::uint64_t directorySize = directory.Size();
  const std::uint64_t count = entries_.size();
  if (count >= kMax16 || directorySize >= kMax32 || directoryOffset >= kMax32) {
    const std::uint64_t zip64EndOffset = directoryOffset + directorySize;
    directory.U32(kZip64End);
    U64(directory, 44);  // the size of what follows
    directory.U16(kVersionZip64);
    directory.U16(kVersionZip64);
    directory.U32(0);  // this disk
    directory.U32(0);  // the directory's disk
    U64(directory, count);
    U64(directory, count);
    U64(directory, directorySize);
    U64(directory, directoryOffset);
    directory.U32(kZip64Locator);
    directory.U32(0);  // the ZIP64 end record's disk
    U64(directory, zip64EndOffset);
    directory.U32(1);  // disks in all
  }
  directory.U32(kEnd);
  directory.U16(0);  // this disk
  directory.U16(0);  // the directory's disk
  directory.U16(Field16(count));
  directory.U16(Field16(count));
  directory.U32(Field32(directorySize));
  directory.U32(Field32(directoryOffset));
  directory.U16(0);  // comment
  Append(directory.View());
  finished_ = true;
}

}  // namespace z917::workbook::xlsx

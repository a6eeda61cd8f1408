// Little-endian bytes appended to a growing buffer: the form in which
// every structure of the Excel 97-2003 file is put together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace z917::workbook::xls {

class ByteBuffer {
 public:
  // Appends a value in little-endian byte order; throws std::bad_alloc only.
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    Bytes(b);
  }
  void U32(std::uint32_t v) {
    std::uint8_t b[4];
    Put32(b, v);
    Bytes(b);
  }
  void F64(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    std::uint8_t b[8];
    Put32(b, static_cast<std::uint32_t>(bits));
    Put32(b + 4, static_cast<std::uint32_t>(bits >> 32));
    Bytes(b);
  }
  void Bytes(std::span<const std::uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
  void Zeros(std::size_t count) { bytes_.resize(bytes_.size() + count, 0); }

  // Overwrites bytes already appended at `offset` (which must lie within).
  void PatchU16(std::size_t offset, std::uint16_t v) {
    bytes_[offset] = static_cast<std::uint8_t>(v);
    bytes_[offset + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  void PatchU32(std::size_t offset, std::uint32_t v) { Put32(&bytes_[offset], v); }

  // Inserts `count` zero bytes at `offset`, moving what follows.
  void InsertZeros(std::size_t offset, std::size_t count) {
    bytes_.insert(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), count, 0);
  }

  std::size_t Size() const { return bytes_.size(); }
  const std::uint8_t* Data() const { return bytes_.data(); }
  std::span<const std::uint8_t> View() const { return bytes_; }
  // Empties the buffer, keeping its capacity for the next batch.
  void Clear() { bytes_.clear(); }
  void Reserve(std::size_t bytes) { bytes_.reserve(bytes); }

 private:
  static void Put32(std::uint8_t* b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * i));
  }

  std::vector<std::uint8_t> bytes_;
};

}  // namespace z917::workbook::xls

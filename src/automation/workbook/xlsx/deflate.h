// Raw deflate data made in independent pieces: each piece starts with no
// history and ends on a byte boundary after a non-final block, so pieces
// compressed on any threads, in any order, join end to end into one
// stream that FinalBlock closes. The zip entries of the .xlsx package are
// put together this way.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct z_stream_s;

namespace z917::workbook::xlsx {

// One piece of an entry's raw deflate data: non-final blocks ending on a
// byte boundary, independent of every other piece (no back references), so
// pieces made on any thread concatenate into one stream.
struct DeflatedPiece {
  std::vector<std::uint8_t> bytes;
  std::uint32_t crc = 0;  // CRC-32 of the raw bytes
  std::uint64_t rawSize = 0;
};

// A reusable zlib raw-deflate stream at level 1 (sheet XML runs to hundreds
// of megabytes; speed matters most). One thread at a time uses a Deflater;
// each worker keeps its own. A moved-from Deflater may only be assigned to
// or destroyed.
class Deflater {
 public:
  // Throws std::bad_alloc when zlib cannot get its memory.
  Deflater();
  ~Deflater();
  Deflater(Deflater&&) noexcept;
  Deflater& operator=(Deflater&&) noexcept;

  // Compresses `raw` into `piece`, replacing what it held but keeping the
  // capacity of its bytes: the stream is reset, so the piece refers to
  // nothing before it, and ends with a sync flush (an empty stored block),
  // so it ends byte-aligned, with no final block. An empty `raw` gives an
  // empty piece. The same input gives the same bytes every time and on
  // every platform, given the same zlib release (another deflate library,
  // zlib-ng say, makes other bytes of the same meaning). Throws
  // std::bad_alloc only.
  void Compress(std::span<const std::uint8_t> raw, DeflatedPiece& piece);

 private:
  std::unique_ptr<z_stream_s> stream_;
};

// Appends the inflated bytes of `piece` (as made by Deflater) to `out`.
// Throws std::runtime_error, `out` left as it was, when the bytes are not
// such a piece: corrupt, ending elsewhere than after a whole non-final
// block on a byte boundary, or inflating to other than rawSize bytes with
// that CRC; std::bad_alloc when memory runs out.
void Inflate(const DeflatedPiece& piece, std::string& out);

// The bytes that close a stream made of pieces: one final empty block with
// fixed codes (0x03 0x00).
std::span<const std::uint8_t> FinalBlock();

// The CRC-32 of `bytes`, continuing from `crc` (the CRC of what came
// before, 0 at the start).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

// The CRC and sizes of a zip entry made of pieces, summed up piece by piece
// in stream order.
struct EntrySizes {
  std::uint32_t crc = 0;
  std::uint64_t compressed = 0;
  std::uint64_t raw = 0;
};

// Counts the next piece of the entry: its CRC is combined with those
// before (crc32_combine), its sizes added.
void AddPiece(EntrySizes& sizes, std::uint32_t crc, std::uint64_t compressedSize,
              std::uint64_t rawSize);
inline void AddPiece(EntrySizes& sizes, const DeflatedPiece& piece) {
  AddPiece(sizes, piece.crc, piece.bytes.size(), piece.rawSize);
}
// Counts FinalBlock, which every entry's data ends with.
inline void AddFinalBlock(EntrySizes& sizes) { sizes.compressed += FinalBlock().size(); }

}  // namespace z917::workbook::xlsx

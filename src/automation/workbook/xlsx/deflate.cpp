#include "automation/workbook/xlsx/deflate.h"

#include <zlib.h>

#include <algorithm>
#include <new>
#include <stdexcept>

namespace z917::workbook::xlsx {

namespace {

// Level 2 with zlib's default memory and strategy. On the sales sheet of a
// 200,000-packet journal, in pieces of a page of rows, level 1 and 2 both
// make some 300 MB/s a core, level 2 at 7.3:1 rather than 6.8:1 (the
// pieces wait in memory until the save, so the ratio is memory); level 3
// runs a third slower, level 6 at a quarter of the speed; memLevel 9 is no
// faster; Z_RLE and Z_HUFFMAN_ONLY are slower still, at 1.8:1.
constexpr int kLevel = 2;
constexpr int kWindowBits = -15;  // raw deflate, 32 KB window
constexpr int kMemLevel = 8;
constexpr int kStrategy = Z_DEFAULT_STRATEGY;

// The most handed to zlib in one call: its counts are 32-bit (uInt).
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

std::size_t Chunk(std::size_t left) { return std::min(left, kMaxChunk); }

// Gives the output buffer room past `used`: a first guess of a quarter of
// the input (sheet XML shrinks far more), doubling when that is short.
void MakeRoom(std::vector<std::uint8_t>& bytes, std::size_t used, std::size_t rawSize) {
  const std::size_t wanted = used == 0 ? rawSize / 4 + 64 : 2 * used;
  bytes.resize(std::max({wanted, bytes.capacity(), used + 64}));
}

// Shifts `crc` as if `length` zero bytes followed, in steps z_off_t holds
// wherever zlib is built (32 bits on Windows).
std::uint32_t ShiftCrc(std::uint32_t crc, std::uint64_t length) {
  constexpr std::uint64_t kStep = std::uint64_t{1} << 30;
  for (; length > 0; length -= std::min(length, kStep)) {
    crc = static_cast<std::uint32_t>(
        crc32_combine(crc, 0, static_cast<z_off_t>(std::min(length, kStep))));
  }
  return crc;
}

}  // namespace

Deflater::Deflater() : stream_(std::make_unique<z_stream>()) {
  const int status =
      deflateInit2(stream_.get(), kLevel, Z_DEFLATED, kWindowBits, kMemLevel, kStrategy);
  if (status == Z_MEM_ERROR) throw std::bad_alloc();
  if (status != Z_OK) throw std::logic_error("deflateInit2 refused its settings");
}

Deflater::~Deflater() {
  if (stream_) deflateEnd(stream_.get());
}

// zlib's state points back at the z_stream, which stays where it is.
Deflater::Deflater(Deflater&&) noexcept = default;
Deflater& Deflater::operator=(Deflater&& other) noexcept {
  if (this != &other) {
    if (stream_) deflateEnd(stream_.get());
    stream_ = std::move(other.stream_);
  }
  return *this;
}

void Deflater::Compress(std::span<const std::uint8_t> raw, DeflatedPiece& piece) {
  piece.rawSize = raw.size();
  piece.crc = Crc32(raw);
  piece.bytes.clear();
  if (raw.empty()) return;

  z_stream& z = *stream_;
  deflateReset(&z);
  const std::uint8_t* in = raw.data();
  std::size_t inLeft = raw.size();
  std::size_t used = 0;
  while (true) {
    const std::size_t chunk = Chunk(inLeft);
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = static_cast<uInt>(chunk);
    in += chunk;
    inLeft -= chunk;
    // The last chunk flushes: the output ends after an empty stored block.
    const int flush = inLeft == 0 ? Z_SYNC_FLUSH : Z_NO_FLUSH;
    do {
      if (used == piece.bytes.size()) MakeRoom(piece.bytes, used, raw.size());
      const std::size_t room = Chunk(piece.bytes.size() - used);
      z.next_out = piece.bytes.data() + used;
      z.avail_out = static_cast<uInt>(room);
      const int status = deflate(&z, flush);
      // Z_BUF_ERROR: nothing left to do when the last call filled the
      // output exactly.
      if (status != Z_OK && status != Z_BUF_ERROR) throw std::logic_error("deflate failed");
      used += room - z.avail_out;
    } while (z.avail_out == 0);
    if (inLeft == 0) break;
  }
  piece.bytes.resize(used);
}

void Inflate(const DeflatedPiece& piece, std::string& out) {
  // `out` as it was, then the exception.
  const std::size_t start = out.size();
  const auto corrupt = [&] {
    out.resize(start);
    throw std::runtime_error("corrupt deflate piece");
  };
  if (piece.bytes.empty()) {
    if (piece.rawSize != 0) corrupt();
    return;
  }
  z_stream z{};
  const int init = inflateInit2(&z, kWindowBits);
  if (init == Z_MEM_ERROR) throw std::bad_alloc();
  if (init != Z_OK) throw std::logic_error("inflateInit2 refused its settings");
  struct End {
    z_stream& z;
    ~End() { inflateEnd(&z); }
  } end{z};

  // One byte of room beyond rawSize shows a piece that inflates to more.
  out.resize(start + piece.rawSize + 1);
  const std::uint8_t* in = piece.bytes.data();
  std::size_t inLeft = piece.bytes.size();
  auto* next = reinterpret_cast<std::uint8_t*>(out.data() + start);
  std::size_t outLeft = piece.rawSize + 1;
  std::size_t produced = 0;
  while (true) {
    if (z.avail_in == 0 && inLeft > 0) {
      const std::size_t chunk = Chunk(inLeft);
      z.next_in = const_cast<Bytef*>(in);
      z.avail_in = static_cast<uInt>(chunk);
      in += chunk;
      inLeft -= chunk;
    }
    if (z.avail_out == 0 && outLeft > 0) {
      const std::size_t chunk = Chunk(outLeft);
      z.next_out = next;
      z.avail_out = static_cast<uInt>(chunk);
      next += chunk;
      outLeft -= chunk;
    }
    const uInt before = z.avail_out;
    const int status = inflate(&z, Z_NO_FLUSH);
    produced += before - z.avail_out;
    if (status == Z_MEM_ERROR) {
      out.resize(start);
      throw std::bad_alloc();
    }
    // Z_STREAM_END: a final block, which no piece holds.
    if (status != Z_OK && status != Z_BUF_ERROR) corrupt();
    const bool inputDone = z.avail_in == 0 && inLeft == 0;
    const bool outputFull = z.avail_out == 0 && outLeft == 0;
    if (inputDone || outputFull || status == Z_BUF_ERROR) break;
  }
  // data_type: the unused bits of the last byte, +64 within a final block,
  // +128 at a block boundary; a piece ends at a boundary on a whole byte.
  const bool atBoundary = (z.data_type & (128 | 64 | 7)) == 128;
  if (z.avail_in != 0 || inLeft != 0 || !atBoundary || produced != piece.rawSize) corrupt();
  out.resize(start + produced);
  const auto* raw = reinterpret_cast<const std::uint8_t*>(out.data() + start);
  if (Crc32({raw, produced}) != piece.crc) corrupt();
}

std::span<const std::uint8_t> FinalBlock() {
  // BFINAL 1, BTYPE 01 (fixed codes), then the 7-bit end-of-block code 0.
  static constexpr std::uint8_t kFinal[] = {0x03, 0x00};
  return kFinal;
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
  uLong value = crc;
  for (std::size_t at = 0; at < bytes.size(); at += kMaxChunk) {
    value = crc32(value, bytes.data() + at, static_cast<uInt>(Chunk(bytes.size() - at)));
  }
  return static_cast<std::uint32_t>(value);
}

void AddPiece(EntrySizes& sizes, std::uint32_t crc, std::uint64_t compressedSize,
              std::uint64_t rawSize) {
  // CRC(A then B) = CRC(A) shifted over B's length, plus CRC(B).
  sizes.crc = ShiftCrc(sizes.crc, rawSize) ^ crc;
  sizes.compressed += compressedSize;
  sizes.raw += rawSize;
}

}  // namespace z917::workbook::xlsx

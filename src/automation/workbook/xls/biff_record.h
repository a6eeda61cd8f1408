// BIFF8 records: a 4-byte header (type, body length) and a body of at
// most kMaxRecordBody bytes; a longer body goes on in CONTINUE records.
#pragma once

#include <cstddef>
#include <cstdint>

#include "automation/workbook/xls/byte_buffer.h"

namespace z917::workbook::xls {

// The largest body one record may carry.
inline constexpr std::size_t kMaxRecordBody = 8224;

// Record types the writer produces.
namespace rt {
inline constexpr std::uint16_t kEof = 0x000A;
inline constexpr std::uint16_t kDateMode = 0x0022;
inline constexpr std::uint16_t kFont = 0x0031;
inline constexpr std::uint16_t kContinue = 0x003C;
inline constexpr std::uint16_t kWindow1 = 0x003D;
inline constexpr std::uint16_t kCodePage = 0x0042;
inline constexpr std::uint16_t kColInfo = 0x007D;
inline constexpr std::uint16_t kBoundSheet = 0x0085;
inline constexpr std::uint16_t kMulBlank = 0x00BE;
inline constexpr std::uint16_t kXf = 0x00E0;
inline constexpr std::uint16_t kSst = 0x00FC;
inline constexpr std::uint16_t kLabelSst = 0x00FD;
inline constexpr std::uint16_t kExtSst = 0x00FF;
inline constexpr std::uint16_t kDimensions = 0x0200;
inline constexpr std::uint16_t kBlank = 0x0201;
inline constexpr std::uint16_t kNumber = 0x0203;
inline constexpr std::uint16_t kBoolErr = 0x0205;
inline constexpr std::uint16_t kRow = 0x0208;
inline constexpr std::uint16_t kWindow2 = 0x023E;
inline constexpr std::uint16_t kStyle = 0x0293;
inline constexpr std::uint16_t kFormat = 0x041E;
inline constexpr std::uint16_t kBof = 0x0809;
}  // namespace rt

// Writes one record at a time into a buffer: Begin, the body through the
// buffer, End. A body longer than kMaxRecordBody is cut at that size into
// CONTINUE records, which suits records whose body has no inner structure
// a reader must find whole in one piece (the SST has its own writer).
class RecordWriter {
 public:
  explicit RecordWriter(ByteBuffer& out) : out_(out) {}

  // Starts a record of `type`; the body follows through Out().
  void Begin(std::uint16_t type);
  ByteBuffer& Out() { return out_; }
  // Ends the record begun last: sets its length, splitting it when long.
  void End();

  // A whole record with a body of fixed-size fields already appended by
  // `body`, for the many small records.
  template <typename F>
  void Record(std::uint16_t type, F body) {
    Begin(type);
    body(out_);
    End();
  }

 private:
  ByteBuffer& out_;
  std::size_t start_ = 0;
};

}  // namespace z917::workbook::xls

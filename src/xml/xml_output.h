// The bytes of the XML document on their way to the spool: a growable
// buffer that entries are written into field by field, with the text forms
// of field values (decimal and fixed-point numbers, dates, escaped text).
#pragma once

#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "journal/packet.h"
#include "xml/regional_settings.h"

namespace z917::xml {

class XmlOutput {
 public:
  std::size_t Size() const { return used_; }
  std::string_view View() const { return {data_.data(), used_}; }
  // Drops everything after the first `size` bytes.
  void Truncate(std::size_t size) { used_ = size < used_ ? size : used_; }

  // Appends bytes as they are.
  void Put(std::string_view bytes) {
    Room(bytes.size());
    PutUnchecked(bytes);
  }
  // Appends "<name>", "</name>". Inline: they run twice per field.
  void Open(std::string_view name) {
    Room(name.size() + 2);
    char* p = data_.data() + used_;
    p[0] = '<';
    std::memcpy(p + 1, name.data(), name.size());
    p[name.size() + 1] = '>';
    used_ += name.size() + 2;
  }
  void Close(std::string_view name) {
    Room(name.size() + 3);
    char* p = data_.data() + used_;
    p[0] = '<';
    p[1] = '/';
    std::memcpy(p + 2, name.data(), name.size());
    p[name.size() + 2] = '>';
    used_ += name.size() + 3;
  }

  // Appends `value` as decimal digits (a minus sign when negative).
  void Unsigned(std::uint64_t value);
  void Signed(std::int64_t value);

  // Appends `value` / 10^`scaleDigits` exactly, with `decimals` (at least
  // `scaleDigits`, both 3 at most) decimals after `separator`, a minus sign
  // when negative and at least one digit before the separator. Exact at
  // every magnitude: no floating point is involved.
  void FixedPoint(std::int64_t value, int scaleDigits, int decimals, std::string_view separator);

  // Appends UTF-8 `text` escaped for element content: "&", "<" and ">" as
  // entities, a carriage return as "&#13;" so that it survives a reader's
  // line-end handling, and each control character that XML 1.0 cannot
  // carry as U+FFFD REPLACEMENT CHARACTER.
  void Escaped(std::string_view text);

  // Appends zero-terminated Windows-1251 `text` as UTF-8, escaped as
  // Escaped does; null counts as empty.
  void EscapedCp1251(const char* text);

 private:
  // Makes room for `n` more bytes.
  void Room(std::size_t n) {
    if (data_.size() - used_ < n) Grow(n);
  }
  void Grow(std::size_t n);
  void PutUnchecked(std::string_view bytes) {
    std::memcpy(data_.data() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }

  std::string data_;
  std::size_t used_ = 0;
};

// A strftime format, split once into what strftime writes and the
// unpadded numbers ("%-d" and the like, which Windows pictures such as
// "d.M.yyyy" give) that are written here as glibc writes them: Windows' C
// library does not know the flag.
class StrftimeFormat {
 public:
  explicit StrftimeFormat(const std::string& format);
  // Appends `tm` in the format. Never fails; a text strftime cannot fit in
  // 255 bytes is left out.
  void Append(std::string& out, const std::tm& tm) const;

 private:
  // Either a format for strftime or, when `unpadded` is set, one number.
  struct Piece {
    std::string format;
    char unpadded = 0;
  };
  std::string whole_;
  // Empty when the format has no unpadded number: strftime takes it whole.
  std::vector<Piece> pieces_;
};

// Formats TDateTime values under the regional short date and long time
// formats, remembering the last value, since the entries of one packet
// share it.
class DateTimeTexts {
 public:
  explicit DateTimeTexts(const RegionalSettings& settings);

  // Appends the date, a blank and the time, escaped; the date alone when
  // the time of day is midnight to the second. Rounds to the second.
  void Append(XmlOutput& out, TDateTime value);

 private:
  // Puts the text of `seconds` into lastText_.
  void Format(std::int64_t seconds);

  StrftimeFormat dateFormat_;
  StrftimeFormat timeFormat_;
  std::int64_t lastSeconds_ = 0;
  bool haveLast_ = false;
  std::string lastText_;
  // The date text of the last day formatted: a journal has many entries a day.
  std::int64_t lastDay_ = 0;
  bool haveDay_ = false;
  std::string dayText_;
};

}  // namespace z917::xml

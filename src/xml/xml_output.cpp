#include "xml/xml_output.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>

#include "common/xml_markup.h"
#include "journal/cp1251.h"

namespace z917::xml {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr std::int64_t kSecondsPerDay = 86400;
// The longest escaped form of one input byte ("&amp;", "&#13;").
constexpr std::size_t kMaxEscapedByte = 5;

// XML 1.0 allows only tab, line feed and carriage return below U+0020.
bool IsForbiddenControl(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }

// The escaped form of a byte below 0x80, or empty when it stands for itself.
std::string_view EscapeOf(unsigned char c) {
  if (const char* entity = MarkupEntityOf(static_cast<char>(c))) return entity;
  if (c == '\r') return "&#13;";
  return IsForbiddenControl(c) ? kReplacement : std::string_view{};
}

// Every Windows-1251 byte's escaped UTF-8 form, built once, padded so that
// a fixed-size copy can move it.
struct Cp1251Table {
  struct Form {
    char bytes[8];
    std::uint8_t size;
  };
  std::array<Form, 256> forms{};
  Cp1251Table() {
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<unsigned char>(b);
      const std::string_view escape = byte < 0x80 ? EscapeOf(byte) : std::string_view{};
      const char raw = static_cast<char>(byte);
      const std::string form =
          escape.empty() ? journal::Cp1251ToUtf8(std::string_view(&raw, 1)) : std::string(escape);
      std::memcpy(forms[b].bytes, form.data(), form.size());
      forms[b].size = static_cast<std::uint8_t>(form.size());
    }
  }
};

const Cp1251Table& Table() {
  static const Cp1251Table table;
  return table;
}

constexpr std::uint64_t kPowersOfTen[] = {1, 10, 100, 1000};

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// Seconds since 1899-12-30 00:00:00 as the broken-down time strftime takes.
std::tm BrokenDown(std::int64_t seconds) {
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  const std::int64_t unixDays = days - 25569;  // 1899-12-30 to 1970-01-01
  int year, month, day;
  CivilFromDays(unixDays, year, month, day);
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = static_cast<int>(rest / 3600);
  tm.tm_min = static_cast<int>(rest / 60 % 60);
  tm.tm_sec = static_cast<int>(rest % 60);
  tm.tm_wday = static_cast<int>(((unixDays % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  static constexpr int kDaysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  tm.tm_yday = kDaysBefore[month - 1] + day - 1 + (leap && month > 2 ? 1 : 0);
  return tm;
}

void AppendStrftime(std::string& out, const std::string& format, const std::tm& tm) {
  if (format.empty()) return;
  char buffer[256];
  // strftime answers 0 both for an empty result and for no room; regional
  // formats give short texts, so 0 means nothing to add.
  const std::size_t n = std::strftime(buffer, sizeof buffer, format.c_str(), &tm);
  out.append(buffer, n);
}

// The number "%-c" writes (a field without its leading zero, as glibc
// writes it); -1 for a letter that is not one of these.
int UnpaddedField(char c, const std::tm& tm) {
  switch (c) {
    case 'd':
      return tm.tm_mday;
    case 'm':
      return tm.tm_mon + 1;
    case 'y':
      return (tm.tm_year % 100 + 100) % 100;
    case 'H':
      return tm.tm_hour;
    case 'I':
      return tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
    case 'M':
      return tm.tm_min;
    case 'S':
      return tm.tm_sec;
    default:
      return -1;
  }
}

}  // namespace

void XmlOutput::Grow(std::size_t n) {
  std::size_t size = data_.size() < 4096 ? 4096 : data_.size() * 2;
  while (size - used_ < n) size *= 2;
  data_.resize(size);
}

void XmlOutput::Unsigned(std::uint64_t value) {
  Room(20);
  char* p = data_.data() + used_;
  used_ = static_cast<std::size_t>(std::to_chars(p, p + 20, value).ptr - data_.data());
}

void XmlOutput::Signed(std::int64_t value) {
  Room(20);
  char* p = data_.data() + used_;
  used_ = static_cast<std::size_t>(std::to_chars(p, p + 20, value).ptr - data_.data());
}

void XmlOutput::FixedPoint(std::int64_t value, int scaleDigits, int decimals,
                           std::string_view separator) {
  // The magnitude as unsigned, so the most negative value needs no special case.
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const std::uint64_t divisor = kPowersOfTen[scaleDigits];
  Room(1 + 20 + separator.size() + 3);
  if (value < 0) data_[used_++] = '-';
  Unsigned(magnitude / divisor);
  PutUnchecked(separator);
  std::uint64_t fraction = magnitude % divisor;
  for (std::uint64_t unit = divisor / 10; unit > 0; unit /= 10) {
    data_[used_++] = static_cast<char>('0' + fraction / unit);
    fraction %= unit;
  }
  for (int i = scaleDigits; i < decimals; ++i) data_[used_++] = '0';
}

void XmlOutput::Escaped(std::string_view text) {
  Room(text.size() * kMaxEscapedByte);
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::string_view escape = c < 0x80 ? EscapeOf(c) : std::string_view{};
    if (escape.empty()) continue;
    PutUnchecked(text.substr(plain, i - plain));
    PutUnchecked(escape);
    plain = i + 1;
  }
  PutUnchecked(text.substr(plain));
}

void XmlOutput::EscapedCp1251(const char* text) {
  if (!text) return;
  const std::size_t length = std::strlen(text);
  // Each form is copied whole (8 bytes) and the position moves by its size.
  Room(length * kMaxEscapedByte + 8);
  const Cp1251Table& table = Table();
  char* p = data_.data() + used_;
  for (const char* in = text; *in; ++in) {
    const Cp1251Table::Form& form = table.forms[static_cast<unsigned char>(*in)];
    std::memcpy(p, form.bytes, 8);
    p += form.size;
  }
  used_ = static_cast<std::size_t>(p - data_.data());
}

StrftimeFormat::StrftimeFormat(const std::string& format) : whole_(format) {
  if (format.find("%-") == std::string::npos) return;
  std::tm probe{};
  Piece piece;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const bool flagged = format[i] == '%' && i + 2 < format.size() && format[i + 1] == '-';
    if (flagged && UnpaddedField(format[i + 2], probe) >= 0) {
      if (!piece.format.empty()) pieces_.push_back(piece);
      pieces_.push_back({{}, format[i + 2]});
      piece = {};
      i += 2;
      continue;
    }
    piece.format += format[i];
    // "%%" and any other directive go to strftime whole.
    if (format[i] == '%' && i + 1 < format.size()) piece.format += format[++i];
  }
  if (!piece.format.empty()) pieces_.push_back(piece);
}

void StrftimeFormat::Append(std::string& out, const std::tm& tm) const {
  if (pieces_.empty()) return AppendStrftime(out, whole_, tm);
  for (const Piece& piece : pieces_) {
    if (piece.unpadded == 0) {
      AppendStrftime(out, piece.format, tm);
      continue;
    }
    char digits[12];
    const int number = UnpaddedField(piece.unpadded, tm);
    out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
  }
}

DateTimeTexts::DateTimeTexts(const RegionalSettings& settings)
    : dateFormat_(settings.shortDateFormat), timeFormat_(settings.longTimeFormat) {}

void DateTimeTexts::Append(XmlOutput& out, TDateTime value) {
  const double scaled = std::round(value * static_cast<double>(kSecondsPerDay));
  // Far outside the calendar a date means nothing; such values write as
  // the epoch rather than overflow.
  const std::int64_t seconds =
      std::isfinite(scaled) && std::fabs(scaled) < 9.0e15 ? static_cast<std::int64_t>(scaled) : 0;
  if (!haveLast_ || seconds != lastSeconds_) {
    Format(seconds);
    lastSeconds_ = seconds;
    haveLast_ = true;
  }
  out.Put(lastText_);
}

void DateTimeTexts::Format(std::int64_t seconds) {
  const std::tm tm = BrokenDown(seconds);
  const std::int64_t day =
      (seconds - (tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec)) / kSecondsPerDay;
  if (!haveDay_ || day != lastDay_) {
    dayText_.clear();
    dateFormat_.Append(dayText_, tm);
    lastDay_ = day;
    haveDay_ = true;
  }
  lastText_ = dayText_;
  if (tm.tm_hour != 0 || tm.tm_min != 0 || tm.tm_sec != 0) {
    lastText_ += ' ';
    timeFormat_.Append(lastText_, tm);
  }
  // Regional formats hardly ever give a character to escape.
  const bool plain = std::none_of(lastText_.begin(), lastText_.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x80 && !EscapeOf(u).empty();
  });
  if (!plain) {
    XmlOutput escaped;
    escaped.Escaped(lastText_);
    lastText_ = escaped.View();
  }
}

}  // namespace z917::xml

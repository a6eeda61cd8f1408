#include "xml/field_texts.h"

#include <array>
#include <charconv>
#include <cmath>
#include <ctime>

#include "journal/cp1251.h"

namespace z917::xml {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr std::int64_t kSecondsPerDay = 86400;

// XML 1.0 allows only tab, line feed and carriage return below U+0020.
bool IsForbiddenControl(unsigned char c) { return c < 0x20 && c != '\t' && c != '\n' && c != '\r'; }

// The escaped form of a byte below 0x80, or empty when it stands for itself.
std::string_view EscapeOf(unsigned char c) {
  switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '\r': return "&#13;";
    default: return IsForbiddenControl(c) ? kReplacement : std::string_view{};
  }
}

std::string Utf8Of(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

// Every Windows-1251 byte's escaped UTF-8 form, built once.
struct Cp1251Table {
  std::array<std::string, 256> forms;
  Cp1251Table() {
    for (int b = 0; b < 256; ++b) {
      const auto byte = static_cast<unsigned char>(b);
      const std::string_view escape = byte < 0x80 ? EscapeOf(byte) : std::string_view{};
      forms[b] = escape.empty() ? Utf8Of(Cp1251ToCodePoint(byte)) : std::string(escape);
    }
  }
};

const Cp1251Table& Table() {
  static const Cp1251Table table;
  return table;
}

constexpr std::array<std::uint64_t, 4> kPowersOfTen = {1, 10, 100, 1000};

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

std::tm BrokenDown(std::int64_t secondsSince1899) {
  // 1899-12-30 lies 25569 days before 1970-01-01.
  std::int64_t days = secondsSince1899 / kSecondsPerDay;
  std::int64_t rest = secondsSince1899 % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  const std::int64_t unixDays = days - 25569;
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
  // strftime answers 0 both for an empty result and for no room; the
  // formats in use give short texts, so 0 means nothing to add.
  const std::size_t n = std::strftime(buffer, sizeof buffer, format.c_str(), &tm);
  out.append(buffer, n);
}

}  // namespace

void AppendUnsigned(std::string& out, std::uint64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void AppendSigned(std::string& out, std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void AppendFixedPoint(std::string& out, std::int64_t value, int scaleDigits, int decimals,
                      std::string_view separator) {
  // The magnitude as unsigned, so the most negative value needs no special case.
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const std::uint64_t divisor = kPowersOfTen[static_cast<std::size_t>(scaleDigits)];
  if (value < 0) out += '-';
  AppendUnsigned(out, magnitude / divisor);
  out.append(separator);
  std::uint64_t fraction = magnitude % divisor;
  for (std::uint64_t unit = divisor / 10; unit > 0; unit /= 10) {
    out += static_cast<char>('0' + fraction / unit);
    fraction %= unit;
  }
  out.append(static_cast<std::size_t>(decimals - scaleDigits), '0');
}

void AppendEscaped(std::string& out, std::string_view text) {
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::string_view escape = c < 0x80 ? EscapeOf(c) : std::string_view{};
    if (escape.empty()) continue;
    out.append(text.substr(plain, i - plain));
    out.append(escape);
    plain = i + 1;
  }
  out.append(text.substr(plain));
}

void AppendEscapedCp1251(std::string& out, const char* text) {
  if (!text) return;
  const Cp1251Table& table = Table();
  for (const char* p = text; *p; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (byte < 0x80 && EscapeOf(byte).empty()) {
      out += static_cast<char>(byte);
    } else {
      out.append(table.forms[byte]);
    }
  }
}

DateTimeTexts::DateTimeTexts(const RegionalSettings& settings)
    : dateFormat_(settings.shortDateFormat), timeFormat_(settings.longTimeFormat) {}

void DateTimeTexts::Append(std::string& out, TDateTime value) {
  const double scaled = std::round(value * static_cast<double>(kSecondsPerDay));
  // Beyond the range of 64-bit seconds the text is meaningless; clamp.
  const std::int64_t seconds =
      std::isfinite(scaled) && std::fabs(scaled) < 9.0e15 ? static_cast<std::int64_t>(scaled) : 0;
  if (!haveLast_ || seconds != lastSeconds_) {
    lastText_ = Format(seconds);
    lastSeconds_ = seconds;
    haveLast_ = true;
  }
  out.append(lastText_);
}

std::string DateTimeTexts::Format(std::int64_t seconds) const {
  const std::tm tm = BrokenDown(seconds);
  std::string text;
  AppendStrftime(text, dateFormat_, tm);
  if (tm.tm_hour != 0 || tm.tm_min != 0 || tm.tm_sec != 0) {
    text += ' ';
    AppendStrftime(text, timeFormat_, tm);
  }
  std::string escaped;
  AppendEscaped(escaped, text);
  return escaped;
}

}  // namespace z917::xml

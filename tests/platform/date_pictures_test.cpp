#include <gtest/gtest.h>

#include <string>

#include "platform/regional_settings.h"

namespace z917::platform {
namespace {

TEST(WindowsPicture, CommonRegionalFormats) {
  // What the Region settings of a few countries give.
  EXPECT_EQ(StrftimeFromWindowsPicture("dd.MM.yyyy"), "%d.%m.%Y");  // uk-UA, ru-RU
  EXPECT_EQ(StrftimeFromWindowsPicture("M/d/yyyy"), "%-m/%-d/%Y");  // en-US
  EXPECT_EQ(StrftimeFromWindowsPicture("yyyy-MM-dd"), "%Y-%m-%d");  // ISO
  EXPECT_EQ(StrftimeFromWindowsPicture("MM/dd/yy"), "%m/%d/%y");    // the "C" locale's
  EXPECT_EQ(StrftimeFromWindowsPicture("H:mm:ss"), "%-H:%M:%S");    // uk-UA
  EXPECT_EQ(StrftimeFromWindowsPicture("HH:mm:ss"), "%H:%M:%S");
  EXPECT_EQ(StrftimeFromWindowsPicture("h:mm:ss tt"), "%-I:%M:%S %p");  // en-US
  EXPECT_EQ(StrftimeFromWindowsPicture("hh:m:s t"), "%I:%-M:%-S %p");
  EXPECT_EQ(StrftimeFromWindowsPicture("d/M/y"), "%-d/%-m/%-y");
}

TEST(WindowsPicture, NamesErasAndLongRuns) {
  EXPECT_EQ(StrftimeFromWindowsPicture("ddd dddd MMM MMMM"), "%a %A %b %B");
  EXPECT_EQ(StrftimeFromWindowsPicture("yyy yyyyy"), "%Y %Y");
  EXPECT_EQ(StrftimeFromWindowsPicture("gg yyyy"), " %Y");
  EXPECT_EQ(StrftimeFromWindowsPicture("HHH:mmm:sss"), "%H:%M:%S");
}

TEST(WindowsPicture, QuotedAndPlainLiterals) {
  EXPECT_EQ(StrftimeFromWindowsPicture("dd.MM.yyyy' р.'"), "%d.%m.%Y р.");
  EXPECT_EQ(StrftimeFromWindowsPicture("'day' d"), "day %-d");  // quoted letters stay letters
  EXPECT_EQ(StrftimeFromWindowsPicture("HH'h'mm"), "%Hh%M");
  EXPECT_EQ(StrftimeFromWindowsPicture("'it''s' H"), "it's %-H");  // a doubled quote is one
  EXPECT_EQ(StrftimeFromWindowsPicture("yyyy年M月d日"), "%Y年%-m月%-d日");
  // Unquoted, the y of "Day" is a year, as Windows reads it too.
  EXPECT_EQ(StrftimeFromWindowsPicture("Day: d"), "Da%-y: %-d");
}

TEST(WindowsPicture, PerCentSignsAndBrokenQuotesAreSafeForStrftime) {
  EXPECT_EQ(StrftimeFromWindowsPicture("100% HH"), "100%% %H");
  EXPECT_EQ(StrftimeFromWindowsPicture("'50%'"), "50%%");
  EXPECT_EQ(StrftimeFromWindowsPicture("HH 'open"), "%H open");  // runs to the end
  EXPECT_EQ(StrftimeFromWindowsPicture("'"), "");
  EXPECT_EQ(StrftimeFromWindowsPicture(""), "");
}

}  // namespace
}  // namespace z917::platform

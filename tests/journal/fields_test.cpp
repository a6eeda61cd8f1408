// The field encodings every body shares: dates, goods codes, texts.
#include <gtest/gtest.h>

#include "journal/code_batch.h"
#include "journal/cp1251.h"
#include "journal/journal_encoder.h"
#include "journal/packed_date_time.h"
#include "journal/recording_writer.h"

namespace z917::journal {
namespace {

TEST(PackedDateTime, ConversionKeepsDayBoundariesAndTheLastSecond) {
  EXPECT_EQ(PackedDateTimeToDateTime(0), 36892.0);
  EXPECT_EQ(PackedDateTimeToDateTime(86400), 36893.0);
  EXPECT_EQ(PackedDateTimeToDateTime(86399), 36892.0 + 86399.0 / 86400.0);
  EXPECT_EQ(FormatDateTimeIso(PackedDateTimeToDateTime(0)), "2001-01-01 00:00:00");
  EXPECT_EQ(FormatDateTimeIso(PackedDateTimeToDateTime(86399)), "2001-01-01 23:59:59");
  EXPECT_EQ(FormatDateTimeIso(PackedDateTimeToDateTime(86400)), "2001-01-02 00:00:00");
  EXPECT_EQ(FormatDateTimeIso(PackedDateTimeToDateTime(4294967295u)), "2137-02-07 06:28:15");
  EXPECT_LT(PackedDateTimeToDateTime(86399), PackedDateTimeToDateTime(86400));
}

TEST(PackedDateTime, EncoderPacksWhatTheDecoderReads) {
  EXPECT_EQ(PackDateTime(2001, 1, 1, 0, 0, 0), 0u);
  EXPECT_EQ(PackDateTime(2013, 9, 4, 15, 7, 40), 0x17D7843Cu);
  EXPECT_EQ(PackDateTime(2137, 2, 7, 6, 28, 15), 4294967295u);
}

TEST(CodeBatch, SplitTakesCodeFromTheTop44BitsAndBatchFromTheRest) {
  // The bytes 15 03 00 24 1E 00 00 00 in file order.
  const CodeBatch cb = SplitCodeBatch(0x0000001E24000315ull);
  EXPECT_EQ(cb.Code, 123456);
  EXPECT_EQ(cb.Batch, 789u);
  const CodeBatch top = SplitCodeBatch(~0ull);
  EXPECT_EQ(top.Code, 17592186044415);  // never negative
  EXPECT_EQ(top.Batch, 1048575u);
  EXPECT_EQ(PackCodeBatch(123456, 789), 0x0000001E24000315ull);
}

TEST(Cp1251, ConversionRoundTripsUkrainianAndRussianLetters) {
  const std::string text = "Їжак, ґанок, Ёлка № 5 — «є» і ї";
  EXPECT_EQ(Cp1251ToUtf8(Utf8ToCp1251(text)), text);
  EXPECT_EQ(Cp1251ToUtf8("\xD1\xE8\xF0"), "Сир");
  EXPECT_EQ(Utf8ToCp1251("Сир"), "\xD1\xE8\xF0");
}

TEST(Cp1251, UnassignedByteAndUnknownCharactersHaveDefinedForms) {
  EXPECT_EQ(Cp1251ToUtf8("a\x98z"), "a\xEF\xBF\xBDz");  // U+FFFD
  EXPECT_EQ(Utf8ToCp1251("漢\xFFz"), "??z");
  EXPECT_EQ(Utf8ToCp1251("\xEF\xBF\xBD"), "?");  // never back to 0x98
}

}  // namespace
}  // namespace z917::journal

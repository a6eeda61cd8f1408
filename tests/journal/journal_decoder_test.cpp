#include "journal/journal_decoder.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "journal/cp1251.h"
#include "journal/journal_encoder.h"
#include "journal/packet_bytes.h"
#include "journal/recording_writer.h"

namespace z917::journal {
namespace {

using test::Decode;
using test::Hex;

// The worked examples: a Sale packet holding a skipped sub-record and one
// goods line, and a CashIn packet.
const std::string kSalePacket =
    Hex("21 00 00 05 00 0D 00 02 3C 84 D7 17 E9 03 00 00 04 02 AA BB 1D 00 00 15 03 00 24 1E 00 00"
        " 00 DC 05 00 00 27 0A 00 00 3B 0F 00 00 09 00 D1 E8 F0 00");
const std::string kCashInPacket = Hex(
    "10 00 04 05 00 0C 00 02 00 84 D7 17 E8 03 00 00 F0 49 02 00 90 D0 03 00 CA E0 F1 E8 F0 20 31"
    " 00");

class JournalDecoderTest : public ::testing::Test {
 protected:
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& e : writer.Entries()) texts.push_back(e.text);
    return texts;
  }
  bool DecodeBody(PacketType type, const std::string& body, OutputKind kind = OutputKind::Xml) {
    return Decode(*decoder, EncodePacket(type, stamp, body), writer, kind);
  }

  std::unique_ptr<JournalDecoder> decoder = std::make_unique<JournalDecoder>();
  RecordingWriter writer;
  PacketStamp stamp{5, 12, 2, PackDateTime(2013, 9, 4, 15, 6, 40), 1000};
};

TEST_F(JournalDecoderTest, WorkedSalePacketGivesTheFullArgumentList) {
  ASSERT_TRUE(Decode(*decoder, kSalePacket, writer, OutputKind::Excel));
  ASSERT_TRUE(Decode(*decoder, kSalePacket, writer, OutputKind::Xml));
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Sale 2 5 13 2 2013-09-04 15:07:40 1001 0 123456 789 1500 2599 3899 1 1 0 "
                         "\"Сир\"",
                         "Sale 2 5 13 2 2013-09-04 15:07:40 1001 0 123456 789 1500 2599 3899 1 1 0 "
                         "\"Сир\""}));
  // The second decode is the second sale line: counter 1, XML Num 2.
  EXPECT_EQ(decoder->Counters().Sale, 2u);
  EXPECT_EQ(writer.Entries()[0].dateTime, 36892.0 + 4629 + (15 * 3600 + 7 * 60 + 40) / 86400.0);
}

TEST_F(JournalDecoderTest, WorkedCashInPacketGivesTheFullArgumentList) {
  ASSERT_TRUE(Decode(*decoder, kCashInPacket, writer, OutputKind::Xml));
  EXPECT_EQ(Texts(), std::vector<std::string>{
                         "CashIn 1 5 12 2 2013-09-04 15:06:40 1000 150000 250000 \"Касир 1\""});
}

TEST_F(JournalDecoderTest, PositionsAreCounterPlusTwoForExcelAndPlusOneForXml) {
  ASSERT_TRUE(DecodeBody(PacketType::CashIn, EncodeCashMovementBody(1, 2, "a"), OutputKind::Excel));
  ASSERT_TRUE(DecodeBody(PacketType::CashIn, EncodeCashMovementBody(1, 2, "b"), OutputKind::Excel));
  ASSERT_TRUE(
      DecodeBody(PacketType::CashOut, EncodeCashMovementBody(1, 2, "c"), OutputKind::Excel));
  ASSERT_TRUE(DecodeBody(PacketType::CashOut, EncodeCashMovementBody(1, 2, "d"), OutputKind::Xml));
  // Cash in and cash out share one counter.
  ASSERT_EQ(writer.Entries().size(), 4u);
  EXPECT_EQ(writer.Entries()[2].text.substr(0, 10), "CashOut 4 ");
  EXPECT_EQ(writer.Entries()[3].text.substr(0, 10), "CashOut 4 ");
  EXPECT_EQ(decoder->Counters().CashMovements, 4u);
}

TEST_F(JournalDecoderTest, UnknownPacketTypeFailsWithoutWriting) {
  ASSERT_TRUE(Decode(*decoder, kCashInPacket, writer));
  for (int type : {11, 200, 255}) {
    EXPECT_FALSE(Decode(*decoder, EncodePacket(std::uint8_t(type), stamp, "\x01\x02"), writer));
  }
  EXPECT_EQ(writer.TotalCount(), 1u);
  EXPECT_EQ(decoder->Counters().CashMovements, 1u);
}

TEST_F(JournalDecoderTest, AShortBodyReadsZerosNotTheBytesOfAnEarlierPacket) {
  ASSERT_TRUE(DecodeBody(PacketType::CashIn, EncodeCashMovementBody(111, 222, "Довге ім'я")));
  // Only the sum: Avail and the name stand behind the body.
  ASSERT_TRUE(DecodeBody(PacketType::CashIn, Hex("05 00 00 00")));
  EXPECT_EQ(writer.Entries()[1].text, "CashIn 2 5 12 2 2013-09-04 15:06:40 1000 5 0 \"\"");
}

TEST_F(JournalDecoderTest, NamesLongerThanTheirBuffersAreTruncated) {
  const std::string longName(40, 'N');
  ASSERT_TRUE(DecodeBody(PacketType::CashOut, EncodeCashMovementBody(1, 2, longName)));
  EXPECT_EQ(writer.Entries()[0].text,
            "CashOut 1 5 12 2 2013-09-04 15:06:40 1000 1 2 \"" + std::string(21, 'N') + "\"");
}

// --- Sales-type packets ---------------------------------------------------

SalesLine Line(std::uint32_t price, std::string name, std::uint8_t flags = 0) {
  SalesLine l;
  l.Code = 7;
  l.Batch = 1;
  l.Avail = 1000;
  l.Price = price;
  l.Total = price;
  l.ItemFlags = flags;
  l.RefundName = "R";
  l.GoodName = std::move(name);
  return l;
}

TEST_F(JournalDecoderTest, SalesSubRecordsOfTypes1To5AreSteppedOver) {
  std::string body;
  AppendSkippedRecord(body, 3, 10);
  body[5] = 0x77;  // junk inside the skipped record is never read
  AppendSalesLine(body, Line(100, "A"));
  AppendSkippedRecord(body, 5, 2);
  ASSERT_TRUE(DecodeBody(PacketType::Sale, body));
  ASSERT_EQ(writer.Entries().size(), 1u);
  EXPECT_EQ(writer.Entries()[0].text,
            "Sale 1 5 12 2 2013-09-04 15:06:40 1000 0 7 1 1000 100 100 0 0 0 \"A\"");

  std::string onlySkipped;
  AppendSkippedRecord(onlySkipped, 1, 4);
  AppendSkippedRecord(onlySkipped, 2, 3);
  EXPECT_TRUE(DecodeBody(PacketType::Refund, onlySkipped));
  EXPECT_TRUE(DecodeBody(PacketType::AnnulSale, ""));
  EXPECT_EQ(writer.TotalCount(), 1u);
}

TEST_F(JournalDecoderTest, InvalidSubRecordFailsAfterTheLinesBeforeIt) {
  std::string body;
  AppendSalesLine(body, Line(100, "A"));
  body += Hex("04 07 00 00");
  EXPECT_FALSE(DecodeBody(PacketType::Sale, body));
  EXPECT_EQ(writer.TotalCount(), 1u);
}

TEST_F(JournalDecoderTest, SkippedSubRecordShorterThanItsHeadFailsInsteadOfStalling) {
  for (const char* bytes : {"00 01", "01 04 00", "00 05 00 00"}) {
    EXPECT_FALSE(DecodeBody(PacketType::Sale, Hex(bytes))) << bytes;
  }
  EXPECT_EQ(writer.TotalCount(), 0u);
}

TEST_F(JournalDecoderTest, GoodsLineEndsAfterItsNameWhateverItsLengthSays) {
  std::string body;
  AppendSalesLine(body, Line(100, "A"));
  body[0] = 3;  // a RecordLength that disagrees with the line
  AppendSalesLine(body, Line(200, "B"));
  ASSERT_TRUE(DecodeBody(PacketType::Sale, body));
  ASSERT_EQ(writer.Entries().size(), 2u);
  EXPECT_NE(writer.Entries()[1].text.find(" 200 200 0 0 0 \"B\""), std::string::npos);
}

TEST_F(JournalDecoderTest, ItemFlagsSplitIntoTaxGroupWeightAndKind) {
  std::string body;
  AppendSalesLine(body, Line(100, "", 0xC9));
  AppendSalesLine(body, Line(100, "", 0x37));  // bits 4 and 5 never matter
  ASSERT_TRUE(DecodeBody(PacketType::AnnulSale, body));
  EXPECT_NE(writer.Entries()[0].text.find(" 1 1 3 \"\""), std::string::npos);
  EXPECT_NE(writer.Entries()[1].text.find(" 7 0 0 \"\""), std::string::npos);
}

TEST_F(JournalDecoderTest, EachSalesKindCountsItsOwnLinesAndRefundsPassBothNames) {
  std::string refund;
  AppendSalesLine(refund, Line(100, "A"));
  AppendSalesLine(refund, Line(200, "B"));
  std::string sale;
  AppendSalesLine(sale, Line(300, "C"));
  ASSERT_TRUE(DecodeBody(PacketType::Refund, refund, OutputKind::Excel));
  ASSERT_TRUE(DecodeBody(PacketType::Sale, sale, OutputKind::Excel));
  ASSERT_TRUE(DecodeBody(PacketType::AnnulRefund, refund, OutputKind::Excel));
  const auto t = Texts();
  EXPECT_EQ(t[0], "Refund 2 5 12 2 2013-09-04 15:06:40 1000 0 7 1 1000 100 100 0 0 0 \"R\" \"A\"");
  EXPECT_EQ(t[1].substr(0, 9), "Refund 3 ");
  EXPECT_EQ(t[2].substr(0, 7), "Sale 2 ");
  EXPECT_EQ(t[3].substr(0, 14), "AnnulRefund 2 ");
  EXPECT_EQ(t[4].substr(0, 14), "AnnulRefund 3 ");
}

TEST_F(JournalDecoderTest, RefusedEntryFailsThePacketButKeepsItsCount) {
  std::string body;
  AppendSalesLine(body, Line(100, "A"));
  AppendSalesLine(body, Line(200, "B"));
  AppendSalesLine(body, Line(300, "C"));
  writer.FailEntry(2);
  EXPECT_FALSE(DecodeBody(PacketType::Sale, body));
  EXPECT_EQ(writer.TotalCount(), 2u);
  EXPECT_EQ(decoder->Counters().Sale, 2u);
}

// --- Check totals ---------------------------------------------------------

TEST_F(JournalDecoderTest, CheckTotalReadsOnlyTheSumsItsMaskAnnounces) {
  ASSERT_TRUE(DecodeBody(PacketType::CheckSumSale, Hex("00 05 E8 03 00 00 D0 07 00 00")));
  ASSERT_TRUE(DecodeBody(PacketType::CheckSumRefund, Hex("00 80 FF FF FF FF")));  // bit 7: no read
  ASSERT_TRUE(DecodeBody(PacketType::CheckSumSale, Hex("00 00")));
  const auto t = Texts();
  EXPECT_EQ(t[0], "CheckSumSale 1 5 12 2 2013-09-04 15:06:40 1000 3000 1000 0 2000 0 0 0 0");
  EXPECT_EQ(t[1], "CheckSumRefund 1 5 12 2 2013-09-04 15:06:40 1000 0 0 0 0 0 0 0 0");
  EXPECT_EQ(t[2], "CheckSumSale 2 5 12 2 2013-09-04 15:06:40 1000 0 0 0 0 0 0 0 0");
}

TEST_F(JournalDecoderTest, CheckTotalAddsIn64Bits) {
  const std::uint32_t sums[7] = {0xFFFFFFFFu, 1,           0xFFFFFFFFu, 0xFFFFFFFFu,
                                 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  ASSERT_TRUE(DecodeBody(PacketType::CheckSumSale, EncodeCheckSumBody(0x03, sums)));
  ASSERT_TRUE(DecodeBody(PacketType::CheckSumSale, EncodeCheckSumBody(0x7F, sums)));
  EXPECT_NE(Texts()[0].find(" 4294967296 4294967295 1 0 "), std::string::npos);
  EXPECT_NE(Texts()[1].find(" 25769803771 4294967295 1 "), std::string::npos);
}

// --- Z-report ---------------------------------------------------------------

TEST_F(JournalDecoderTest, ZReportAddsPartsIn64BitsAndRegroupsMarkups) {
  ZReportFields z;
  z.CheckSaleCnt = 40;
  z.CheckRefundCnt = 2;
  for (auto& v : z.SaleParts) v = 0xFFFFFFFFu;
  z.RefundParts[0] = 100;
  z.RefundParts[4] = 23;
  for (int k = 0; k < 7; ++k) {
    z.Sale[k] = 10 + k;
    z.Refund[k] = 20 + k;
  }
  z.CashIn = 31;
  z.CashOut = 32;
  z.SaleMarkup = 41;
  z.RefundMarkup = 42;
  z.SaleDiscount = 43;
  z.RefundDiscount = 44;
  z.CashierName = Utf8ToCp1251("Коваль Т.");
  ASSERT_TRUE(DecodeBody(PacketType::ZReport, EncodeZReportBody(z), OutputKind::Excel));
  EXPECT_EQ(Texts()[0],
            "ZReport 2 5 12 2 2013-09-04 15:06:40 1000 40 2 21474836475 10 11 12 13 14 15 16 41 43 "
            "123 20 21 22 23 24 25 26 42 44 31 32 \"Коваль Т.\"");
}

// --- Receipts and returns ---------------------------------------------------

std::vector<GoodsLine> GoodsLines(std::size_t n) {
  std::vector<GoodsLine> lines(n);
  for (std::size_t i = 0; i < n; ++i) lines[i] = {100 + i, 3, 1000, std::uint32_t(i)};
  return lines;
}

TEST_F(JournalDecoderTest, GoodsMovementMakesOneEntryPerLineWithThePacketFields) {
  auto lines = GoodsLines(3);
  lines[2].Price = 0xFFFFFFFFu;
  ASSERT_TRUE(DecodeBody(PacketType::Receipt,
                         EncodeGoodsMovementBody(0x8000000000000001ull, lines, "Kasa")));
  ASSERT_TRUE(DecodeBody(PacketType::Return, EncodeGoodsMovementBody(9, GoodsLines(1), "K2")));
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Receipt 1 5 12 2 2013-09-04 15:06:40 1000 -9223372036854775807 100 3 "
                         "1000 0 \"Kasa\"",
                         "Receipt 2 5 12 2 2013-09-04 15:06:40 1000 -9223372036854775807 101 3 "
                         "1000 1 \"Kasa\"",
                         "Receipt 3 5 12 2 2013-09-04 15:06:40 1000 -9223372036854775807 102 3 "
                         "1000 4294967295 \"Kasa\"",
                         "Return 1 5 12 2 2013-09-04 15:06:40 1000 9 100 3 1000 0 \"K2\""}));
}

TEST_F(JournalDecoderTest, GoodsMovementWritesAll255LinesAndReadsTheNameBehindThem) {
  ASSERT_TRUE(DecodeBody(PacketType::Receipt, EncodeGoodsMovementBody(1, GoodsLines(255), "Z")));
  ASSERT_EQ(writer.TotalCount(), 255u);
  EXPECT_EQ(writer.Entries()[254].text,
            "Receipt 255 5 12 2 2013-09-04 15:06:40 1000 1 354 3 1000 254 \"Z\"");
}

TEST_F(JournalDecoderTest, GoodsMovementWithoutLinesWritesNothingAndSucceeds) {
  EXPECT_TRUE(DecodeBody(PacketType::Return, EncodeGoodsMovementBody(1, {}, "Z")));
  EXPECT_EQ(writer.TotalCount(), 0u);
}

TEST_F(JournalDecoderTest, GoodsMovementStopsAtTheFirstRefusedLine) {
  writer.FailEntry(2);
  EXPECT_FALSE(DecodeBody(PacketType::Receipt, EncodeGoodsMovementBody(1, GoodsLines(4), "Z")));
  EXPECT_EQ(writer.TotalCount(), 2u);
}

}  // namespace
}  // namespace z917::journal

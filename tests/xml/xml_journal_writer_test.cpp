#include "xml/xml_journal_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <pugixml.hpp>
#include <set>
#include <vector>

#include "driver/wired_conversion.h"
#include "journal/journal_encoder.h"
#include "journal/packed_date_time.h"
#include "platform/cancellation.h"
#include "support/file_size_limit.h"
#include "support/files.h"
#include "support/recorded_messages.h"
#include "support/temp_folder.h"

namespace z917::xml {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kAllOnes = 4294967295u;
// 25 March 2010, as days since 1899-12-30.
constexpr TDateTime kMarch25 = 40262.0;

using test::Error;
using test::ReadFile;
using test::RecordingMessages;
using test::Shown;

RegionalSettings CommaSettings() { return {",", "%d.%m.%Y", "%-H:%M:%S"}; }

class XmlWriterTest : public ::testing::Test {
 protected:
  // Saves the document and gives what lies between the root's tags.
  std::string SavedEntries() {
    const std::string text = SavedDocument();
    const std::string start = "<Z917_Journal>";
    const std::size_t from = text.find(start) + start.size();
    return text.substr(from, text.rfind("</Z917_Journal>") - from);
  }
  std::string SavedDocument() {
    EXPECT_TRUE(writer.SaveXmlDocument(Out()));
    writer.CloseXmlDocument();
    return ReadFile(Out());
  }
  std::string Out() const { return (dir / "out.xml").string(); }
  void Sale(const char* name, std::uint32_t packetNum = 1, TDateTime when = kMarch25,
            std::uint8_t taxGroup = 0) {
    ASSERT_TRUE(
        writer.WriteSale(1, 1, 1, 1, when, packetNum, 0, 1, 1, 1, 1, 1, taxGroup, 0, 0, name));
  }

  const test::TempFolder dir{"z917_xml"};
  RecordingMessages messages;
  XmlJournalWriter writer{messages, CommaSettings()};
};

TEST_F(XmlWriterTest, WorkedSaleExample) {
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  const TDateTime when = kMarch25 + (14 * 3600 + 5 * 60 + 9) / 86400.0;
  ASSERT_TRUE(writer.WriteSale(1, 12, 345, 2, when, 5678, 0, 482, 3, 1500, 1234, 1851, 0, 0, 0,
                               "\xD5\xEB\xB3\xE1"));
  EXPECT_EQ(SavedDocument(),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<Z917_Journal><Sale><Num>1</Num><SmenaNum>12</SmenaNum><CheckNum>345</CheckNum>"
            "<CasherNum>2</CasherNum><DateTime>25.03.2010 14:05:09</DateTime>"
            "<PacketNum>5678</PacketNum><AnnulFlag>0</AnnulFlag><Code>482</Code>"
            "<Batch>3</Batch><Avail>1,500</Avail><Price>12,340</Price><Total>18,510</Total>"
            "<TaxGroup>А</TaxGroup><WFlag>Штучний</WFlag><XFlag>Товар</XFlag>"
            "<GoodName>Хліб</GoodName></Sale></Z917_Journal>\n");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(XmlWriterTest, HeaderPacketNumbersAndMidnight) {
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  Sale("a", kAllOnes, kMarch25);
  Sale("b", 0, kMarch25 + 1 / 86400.0);
  Sale("c", 7, kMarch25 + 1 - 1 / 86400.0);
  const std::string body = SavedEntries();
  EXPECT_NE(body.find("<DateTime>25.03.2010</DateTime><PacketNum>-1</PacketNum>"),
            std::string::npos);
  EXPECT_NE(body.find("<DateTime>25.03.2010 0:00:01</DateTime><PacketNum>0</PacketNum>"),
            std::string::npos);
  EXPECT_NE(body.find("<DateTime>25.03.2010 23:59:59</DateTime><PacketNum>7</PacketNum>"),
            std::string::npos);
}

TEST_F(XmlWriterTest, DatesFromPackedJournalTimesAreExactToTheSecond) {
  // Every second of a day packed and unpacked must keep its own text.
  XmlJournalWriter iso{messages, {".", "%Y-%m-%d", "%H:%M:%S"}};
  ASSERT_TRUE(iso.CreateXmlDocument(Out()));
  const std::uint32_t base = journal::PackDateTime(2024, 2, 29, 0, 0, 0);
  for (std::uint32_t s : {0u, 1u, 59u, 3599u, 43200u, 86399u}) {
    ASSERT_TRUE(
        iso.WriteCashIn(1, 1, 1, 1, journal::PackedDateTimeToDateTime(base + s), 1, 0, 0, ""));
  }
  ASSERT_TRUE(iso.SaveXmlDocument(Out()));
  const std::string text = ReadFile(Out());
  for (const char* want :
       {"<DateTime>2024-02-29</DateTime>", "2024-02-29 00:00:01<", "2024-02-29 00:00:59<",
        "2024-02-29 00:59:59<", "2024-02-29 12:00:00<", "2024-02-29 23:59:59<"}) {
    EXPECT_NE(text.find(want), std::string::npos) << want;
  }
}

TEST_F(XmlWriterTest, UnpaddedNumbersAsGlibcWritesThem) {
  // Windows pictures such as "d.M.yy h:m:s tt" give "%-d" and the like,
  // written by the writer itself: the text must be glibc's to the byte.
  const std::string date = "%-d.%-m.%-y|%%-d|%-";
  const std::string time = "%-I:%-M:%-S %p %-H %H";
  XmlJournalWriter unpadded{messages, {".", date, time}};
  ASSERT_TRUE(unpadded.CreateXmlDocument(Out()));
  const std::uint32_t times[] = {journal::PackDateTime(2001, 1, 2, 0, 0, 7),
                                 journal::PackDateTime(2009, 9, 9, 9, 5, 0),
                                 journal::PackDateTime(2024, 12, 31, 12, 0, 1),
                                 journal::PackDateTime(2030, 10, 10, 23, 59, 59)};
  for (std::uint32_t packed : times) {
    ASSERT_TRUE(
        unpadded.WriteCashIn(1, 1, 1, 1, journal::PackedDateTimeToDateTime(packed), 1, 0, 0, ""));
  }
  ASSERT_TRUE(unpadded.SaveXmlDocument(Out()));
  const std::string text = ReadFile(Out());
  for (std::uint32_t packed : times) {
    const std::time_t unix = static_cast<std::time_t>(packed) + 978307200;  // 2001-01-01
    std::tm tm{};
    ::gmtime_r(&unix, &tm);
    char want[128];
    std::strftime(want, sizeof want, (date + " " + time).c_str(), &tm);
    EXPECT_NE(text.find(std::string("<DateTime>") + want + "</DateTime>"), std::string::npos)
        << want;
  }
}

TEST_F(XmlWriterTest, FixedPointTextsAreExactAtEveryMagnitude) {
  XmlJournalWriter point{messages, {".", "%d.%m.%Y", "%-H:%M:%S"}};
  ASSERT_TRUE(point.CreateXmlDocument(Out()));
  ASSERT_TRUE(point.WriteReceipt(1, 1, 1, 1, kMarch25, 1, -5, 9, 1, 1, kAllOnes, "a"));
  ASSERT_TRUE(point.WriteReturn(1, 1, 1, 1, kMarch25, 1, INT64_MIN, 9, 1, 0, 0, "b"));
  ASSERT_TRUE(point.WriteCashIn(1, 1, 1, 1, kMarch25, 1, 1234, kAllOnes, "c"));
  ASSERT_TRUE(point.WriteCheckSumSale(1, 1, 1, 1, kMarch25, 1, 21474836475, 5, 0, 0, 0, 0, 0, 0));
  ASSERT_TRUE(point.WriteCheckSumRefund(1, 1, 1, 1, kMarch25, 1, INT64_MIN, 0, 0, 0, 0, 0, 0, 0));
  ASSERT_TRUE(point.WriteCheckSumRefund(2, 1, 1, 1, kMarch25, 1, -5, 0, 0, 0, 0, 0, 0, 0));
  ASSERT_TRUE(point.SaveXmlDocument(Out()));
  const std::string text = ReadFile(Out());
  for (const char* want :
       {"<ProvCode>-5</ProvCode>", "<Avail>0.001</Avail><Price>-</Price>",
        "<ProvCode>-9223372036854775808</ProvCode>", "<Avail>0.000</Avail><Price>0.00</Price>",
        "<Sum>12.34</Sum><Avail>42949672.95</Avail>",
        "<Total>214748364.75</Total><Sum1>0.05</Sum1>", "<Total>-92233720368547758.08</Total>",
        "<Total>-0.05</Total>"}) {
    EXPECT_NE(text.find(want), std::string::npos) << want;
  }
}

TEST_F(XmlWriterTest, LookupWordsAndCashDirections) {
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  for (std::uint8_t group = 5; group <= 7; ++group) Sale("x", 1, kMarch25, group);
  ASSERT_TRUE(writer.WriteSale(1, 1, 1, 1, kMarch25, 1, 0, 1, 1, 1, 1, 1, 4, 1, 2, "y"));
  ASSERT_TRUE(writer.WriteSale(1, 1, 1, 1, kMarch25, 1, 0, 1, 1, 1, 1, 1, 1, 0, 3, "y"));
  ASSERT_TRUE(writer.WriteCashIn(1, 1, 1, 1, kMarch25, 1, 1, 1, "k"));
  ASSERT_TRUE(writer.WriteCashOut(2, 1, 1, 1, kMarch25, 1, 1, 1, "k"));
  const std::string body = SavedEntries();
  std::size_t blanks = 0;
  for (std::size_t at = 0; (at = body.find("<TaxGroup> </TaxGroup>", at)) != std::string::npos;
       ++at) {
    ++blanks;
  }
  EXPECT_EQ(blanks, 3u);
  EXPECT_NE(body.find("<TaxGroup>Д</TaxGroup><WFlag>Ваговий</WFlag><XFlag>Виплата</XFlag>"),
            std::string::npos);
  EXPECT_NE(body.find("<TaxGroup>Б</TaxGroup><WFlag>Штучний</WFlag><XFlag>Виплата</XFlag>"),
            std::string::npos);
  EXPECT_NE(body.find("<CashInOut><Num>1</Num>"), std::string::npos);
  EXPECT_NE(body.find("<InOut>Внесення</InOut>"), std::string::npos);
  EXPECT_NE(body.find("<CashInOut><Num>2</Num>"), std::string::npos);
  EXPECT_NE(body.find("<InOut>Вилучення</InOut>"), std::string::npos);
}

TEST_F(XmlWriterTest, NamesAreEscapedAndEveryDocumentIsWellFormed) {
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  // "&", "<", ">", a carriage return, forbidden control bytes, the
  // unassigned 0x98 and an empty name.
  ASSERT_TRUE(writer.WriteRefund(1, 1, 1, 1, kMarch25, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0, "A&B <c> ]]>",
                                 "l1\r\nl2\x01\x1F\t\x98"));
  ASSERT_TRUE(writer.WriteAnnulRefund(1, 1, 1, 1, kMarch25, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0, "", ""));
  ASSERT_TRUE(writer.WriteCashIn(1, 1, 1, 1, kMarch25, 1, 1, 1, ""));
  const std::string body = SavedEntries();
  EXPECT_NE(body.find("<RefundName>A&amp;B &lt;c&gt; ]]&gt;</RefundName>"
                      "<GoodName>l1&#13;\nl2\uFFFD\uFFFD\t\uFFFD</GoodName>"),
            std::string::npos);
  EXPECT_NE(body.find("<RefundName></RefundName><GoodName></GoodName></AnnulRefund>"),
            std::string::npos);
  EXPECT_NE(body.find("<CashierName></CashierName></CashInOut>"), std::string::npos);

  pugi::xml_document parsed;
  ASSERT_TRUE(parsed.load_file(Out().c_str(), pugi::parse_default | pugi::parse_declaration));
  const pugi::xml_node refund = parsed.child("Z917_Journal").child("Refund");
  EXPECT_STREQ(refund.child_value("RefundName"), "A&B <c> ]]>");
  EXPECT_STREQ(refund.child_value("GoodName"), "l1\r\nl2\uFFFD\uFFFD\t\uFFFD");
}

// The field names of each element kind, in document order.
std::vector<std::string> FieldNames(const pugi::xml_node& entry) {
  std::vector<std::string> names;
  for (const pugi::xml_node field : entry.children()) names.push_back(field.name());
  return names;
}

TEST_F(XmlWriterTest, FieldOrderOfEveryKind) {
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  ASSERT_TRUE(writer.WriteAnnulSale(1, 1, 1, 1, kMarch25, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, "g"));
  ASSERT_TRUE(writer.WriteZReport(1, 1, 1, 1, kMarch25, 1, 2, 3, 100, 1, 2, 3, 4, 5, 6, 7, 8, 9,
                                  200, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, "z"));
  ASSERT_TRUE(writer.WriteReturn(1, 1, 1, 1, kMarch25, 1, 1, 1, 1, 1, 1, "r"));
  ASSERT_TRUE(writer.WriteCheckSumRefund(1, 1, 1, 1, kMarch25, 1, 1, 1, 2, 3, 4, 5, 6, 7));
  SavedDocument();
  pugi::xml_document parsed;
  ASSERT_TRUE(parsed.load_file(Out().c_str()));
  const pugi::xml_node root = parsed.child("Z917_Journal");
  const std::vector<std::string> head = {"Num",       "SmenaNum", "CheckNum",
                                         "CasherNum", "DateTime", "PacketNum"};
  auto with = [&](std::vector<std::string> tail) {
    std::vector<std::string> all = head;
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
  };
  EXPECT_EQ(FieldNames(root.child("AnnulSale")),
            with({"AnnulFlag", "Code", "Batch", "Avail", "Price", "Total", "TaxGroup", "WFlag",
                  "XFlag", "GoodName"}));
  EXPECT_EQ(FieldNames(root.child("ZReport")),
            with({"CheckSaleCnt", "CheckRefundCnt", "SaleTotal",   "Sale1",   "Sale2",
                  "Sale3",        "Sale4",          "Sale5",       "Sale6",   "Sale7",
                  "SaleMarkup",   "SaleDiscount",   "RefundTotal", "Refund1", "Refund2",
                  "Refund3",      "Refund4",        "Refund5",     "Refund6", "Refund7",
                  "RefundMarkup", "RefundDiscount", "CashIn",      "CashOut", "CashierName"}));
  EXPECT_STREQ(root.child("ZReport").child_value("Refund7"), "0,17");
  EXPECT_STREQ(root.child("ZReport").child_value("CashOut"), "0,21");
  EXPECT_EQ(FieldNames(root.child("Return")),
            with({"ProvCode", "Code", "Batch", "Avail", "Price", "CashierName"}));
  EXPECT_EQ(FieldNames(root.child("SumRefund")),
            with({"Total", "Sum1", "Sum2", "Sum3", "Sum4", "Sum5", "Sum6", "Sum7"}));
  EXPECT_STREQ(root.child("SumRefund").child_value("Sum7"), "0,07");
}

TEST_F(XmlWriterTest, EntryFailuresShowTheKindsPrefix) {
  // Without a document, and with a lookup index no journal can give.
  EXPECT_FALSE(writer.WriteCashOut(1, 1, 1, 1, kMarch25, 1, 1, 1, "k"));
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  EXPECT_FALSE(writer.WriteSale(1, 1, 1, 1, kMarch25, 1, 0, 1, 1, 1, 1, 1, 8, 0, 0, "g"));
  EXPECT_EQ(messages.shown,
            (std::vector<Shown>{
                Error("Ошибка записи данных внесения/изъятия наличных: неизвестная ошибка"),
                Error("Ошибка записи данных продаж: неизвестная ошибка")}));
}

TEST_F(XmlWriterTest, EmptyDocumentAndTwoConversionsInOneRun) {
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  EXPECT_EQ(SavedDocument(),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Z917_Journal></Z917_Journal>\n");
  ASSERT_TRUE(writer.CreateXmlDocument((dir / "first.xml").string()));
  Sale("first");
  ASSERT_TRUE(writer.SaveXmlDocument((dir / "first.xml").string()));
  writer.CloseXmlDocument();
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  Sale("second");
  const std::string second = SavedDocument();
  EXPECT_EQ(second.find("first"), std::string::npos);
  EXPECT_NE(second.find("second"), std::string::npos);
  EXPECT_NE(ReadFile(dir / "first.xml").find("first"), std::string::npos);
}

TEST_F(XmlWriterTest, ReplacedFileKeepsItsPermissionsANewOneFollowsTheUmask) {
  test::WriteFile(Out(), "old content that is longer than nothing");
  ::chmod(Out().c_str(), 0600);
  const mode_t previous = ::umask(027);
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  Sale("new");
  const std::string text = SavedDocument();
  const std::string fresh = (dir / "fresh.xml").string();
  ASSERT_TRUE(writer.CreateXmlDocument(fresh));
  ASSERT_TRUE(writer.SaveXmlDocument(fresh));
  ::umask(previous);
  EXPECT_EQ(text.find("old content"), std::string::npos);
  EXPECT_NE(text.find("<GoodName>new</GoodName>"), std::string::npos);
  struct stat info;
  ASSERT_EQ(::stat(Out().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"fresh.xml", "out.xml"}));
}

TEST_F(XmlWriterTest, UnwritablePathsFailTheSaveWithTheirReasonAndLeaveNothing) {
  test::WriteFile(Out(), "keep");
  const std::string missing = (dir / "missing" / "out.xml").string();
  fs::create_directory(dir / "folder.xml");
  const std::string folder = (dir / "folder.xml").string();
  for (const std::string& path : {missing, folder}) {
    ASSERT_TRUE(writer.CreateXmlDocument(path));
    Sale("x");
    EXPECT_FALSE(writer.SaveXmlDocument(path)) << path;
  }
  // Closing without a save, and a save to another path, leave nothing either.
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  Sale("y");
  writer.CloseXmlDocument();
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  EXPECT_FALSE(writer.SaveXmlDocument((dir / "other.xml").string()));
  EXPECT_EQ(
      messages.shown,
      (std::vector<Shown>{Error("Ошибка записи XML файла: Папка «" + (dir / "missing").string() +
                                "» не существует"),
                          Error("Ошибка записи XML файла: «" + folder + "» — это папка, а не файл"),
                          Error("Ошибка записи XML файла: неизвестная ошибка")}));
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"folder.xml", "out.xml"}));
  EXPECT_TRUE(fs::is_empty(dir / "folder.xml"));
  EXPECT_EQ(ReadFile(Out()), "keep");
}

TEST_F(XmlWriterTest, TemporaryFolderPlaysNoPart) {
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  ::setenv("TMPDIR", "/nonexistent", 1);
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  Sale("here");
  const std::string text = SavedDocument();
  if (old)
    ::setenv("TMPDIR", saved.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
  EXPECT_NE(text.find("<GoodName>here</GoodName></Sale></Z917_Journal>"), std::string::npos);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(dir.Names(), std::set<std::string>{"out.xml"});
}

TEST_F(XmlWriterTest, DiskFailureWhileGrowingShowsAtTheSaveWithItsReason) {
  driver::WiredConversion conversion(messages);
  std::string journal;
  for (int i = 0; i < 4000; ++i) {
    journal += journal::EncodePacket(
        journal::PacketType::CashIn, {1, 1, 1, 0, 1},
        journal::EncodeCashMovementBody(100, 100, "Cashier with a long name"));
  }
  const std::string path = test::WriteFile(dir / "journal.bin", journal);
  test::WriteFile(Out(), "previous");
  {
    const test::FileSizeLimit limit(64 * 1024);
    EXPECT_FALSE(conversion.Convert(path, Out(), OutputKind::Xml, nullptr));
  }
  EXPECT_EQ(messages.shown,
            (std::vector<Shown>{Error("Ошибка записи XML файла: Не удалось записать файл «" +
                                      Out() + "»: файл слишком велик"),
                                Error("Ошибка записи файла XML")}));
  EXPECT_EQ(ReadFile(Out()), "previous");
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"journal.bin", "out.xml"}));
}

TEST_F(XmlWriterTest, StopAskedForEndsEntriesAndSaveSilently) {
  ASSERT_TRUE(writer.CreateXmlDocument(Out()));
  platform::Cancellation::Request();
  // Entries fail once a batch meets the file; none of them says so.
  bool failed = false;
  for (int i = 0; i < 10000 && !failed; ++i) {
    failed = !writer.WriteSale(1, 1, 1, 1, kMarch25, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0, "g");
  }
  const bool saved = writer.SaveXmlDocument(Out());
  platform::Cancellation::Reset();
  EXPECT_TRUE(failed);
  EXPECT_FALSE(saved);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace z917::xml

#include "driver/conversion_driver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <new>
#include <thread>
#include <vector>

#include "journal/journal_encoder.h"
#include "journal/recording_writer.h"
#include "platform/cancellation.h"
#include "platform/save_progress.h"
#include "support/files.h"
#include "support/recorded_messages.h"
#include "support/temp_folder.h"

namespace z917::driver {
namespace {

namespace fs = std::filesystem;

using test::Error;
using test::Info;
using test::RecordingMessages;
using test::Shown;

std::string CashIn(std::uint32_t packetNum) {
  return journal::EncodePacket(journal::PacketType::CashIn, {1, 1, 1, 0, packetNum},
                               journal::EncodeCashMovementBody(100, 100, "K"));
}

class ConversionDriverTest : public ::testing::Test {
 protected:
  // Whoever starts conversions clears a stop, not the driver.
  void SetUp() override { platform::Cancellation::Reset(); }
  void TearDown() override { platform::Cancellation::Reset(); }
  std::string Journal(const std::string& bytes) {
    return test::WriteFile(dir / "journal.bin", bytes);
  }
  bool Convert(const std::string& journalPath, OutputKind kind = OutputKind::Xml) {
    return driver.ConvertJournal(journalPath, "out", kind);
  }

  const test::TempFolder dir{"z917_driver"};
  RecordingMessages messages;
  journal::RecordingWriter excel{&messages};
  journal::RecordingWriter xml{&messages};
  ConversionDriver driver{{excel, xml}, messages};
  const std::vector<std::string> kSavedAndClosed{"Create", "Save out", "Close"};
};

TEST_F(ConversionDriverTest, JournalThatCannotBeOpenedTouchesNoWriter) {
  for (const std::string& path :
       {(dir / "missing.bin").string(), std::string(), dir.Path().string()}) {
    EXPECT_FALSE(Convert(path, OutputKind::Excel)) << path;
  }
  EXPECT_EQ(messages.shown, std::vector<Shown>(3, Error("Ошибка открытия файла БД")));
  EXPECT_TRUE(excel.Lifecycle().empty());
}

TEST_F(ConversionDriverTest, FailedCreateShowsTheWriterThenTheDriverAndNeverCloses) {
  excel.FailCreate();
  xml.FailCreate();
  const std::string journal = Journal(CashIn(1));
  EXPECT_FALSE(Convert(journal, OutputKind::Excel));
  EXPECT_FALSE(Convert(journal, OutputKind::Xml));
  EXPECT_EQ(messages.shown,
            (std::vector<Shown>{Error("Create failed"), Error("Ошибка создания книги Excel"),
                                Error("Create failed"), Error("Ошибка создания файла XML")}));
  EXPECT_EQ(excel.Lifecycle(), std::vector<std::string>{"Create"});
}

TEST_F(ConversionDriverTest, CleanEndSavesClosesAndReportsPlainSuccess) {
  EXPECT_TRUE(Convert(Journal(CashIn(1) + CashIn(2))));
  EXPECT_EQ(xml.Lifecycle(), kSavedAndClosed);
  EXPECT_EQ(xml.TotalCount(), 2u);
  EXPECT_EQ(messages.shown, std::vector<Shown>{Info("Конвертация прошла успешно")});
  EXPECT_TRUE(excel.Lifecycle().empty());  // the kind picks the writer
}

TEST_F(ConversionDriverTest, EmptyJournalSavesAnEmptyDocument) {
  EXPECT_TRUE(Convert(Journal(""), OutputKind::Excel));
  EXPECT_EQ(excel.Lifecycle(), kSavedAndClosed);
  EXPECT_EQ(messages.shown, std::vector<Shown>{Info("Конвертация прошла успешно")});
}

TEST_F(ConversionDriverTest, StrayBytesAfterTheLastPacketAreIgnored) {
  for (std::size_t stray = 1; stray <= 15; ++stray) {
    messages.shown.clear();
    EXPECT_TRUE(Convert(Journal(CashIn(1) + std::string(stray, '\x07'))));
    EXPECT_EQ(messages.shown, std::vector<Shown>{Info("Конвертация прошла успешно")}) << stray;
    EXPECT_EQ(xml.TotalCount(), 1u);
  }
}

TEST_F(ConversionDriverTest, ShortLastBodyIsCounted) {
  const std::string last = CashIn(2);
  EXPECT_TRUE(Convert(Journal(CashIn(1) + last.substr(0, last.size() - 3))));
  EXPECT_EQ(xml.TotalCount(), 1u);
  EXPECT_EQ(xml.Lifecycle(), kSavedAndClosed);
  EXPECT_EQ(messages.shown, std::vector<Shown>{Info("Конвертация прошла успешно\n Ошибок: 1")});
}

TEST_F(ConversionDriverTest, ZeroLengthBodyIsSkippedAndItsCountAlwaysReported) {
  const std::string empty = journal::EncodePacket(journal::PacketType::CashIn, {}, "");
  EXPECT_TRUE(Convert(Journal(empty + CashIn(1) + empty + empty)));
  EXPECT_EQ(xml.TotalCount(), 1u);
  // The end was met by a header read, yet three packets were skipped.
  EXPECT_EQ(messages.shown, std::vector<Shown>{Info("Конвертация прошла успешно\n Ошибок: 3")});
}

TEST(SuccessMessage, CountsPast32BitsInFull) {
  EXPECT_EQ(SuccessMessage(0), "Конвертация прошла успешно");
  EXPECT_EQ(SuccessMessage(2147483648u), "Конвертация прошла успешно\n Ошибок: 2147483648");
  EXPECT_EQ(SuccessMessage(4294967296u), "Конвертация прошла успешно\n Ошибок: 4294967296");
  EXPECT_EQ(SuccessMessage(4294967297u), "Конвертация прошла успешно\n Ошибок: 4294967297");
}

TEST_F(ConversionDriverTest, RejectedPacketClosesWithoutSaving) {
  const std::string unknown = journal::EncodePacket(std::uint8_t{11}, {}, "x");
  EXPECT_FALSE(Convert(Journal(CashIn(1) + unknown + CashIn(2)), OutputKind::Excel));
  EXPECT_EQ(excel.Lifecycle(), (std::vector<std::string>{"Create", "Close"}));
  EXPECT_EQ(messages.shown, std::vector<Shown>{Error("Ошибка преобразования данных")});
}

// An exception out of a writer still closes the output (Excel must not
// stay running), and goes on to the caller.
TEST_F(ConversionDriverTest, AnExceptionOutOfTheConversionClosesTheOutput) {
  class ThrowingWriter : public journal::RecordingWriter {
    bool WriteCashEntry(journal::EntryKind, const journal::EntryHeader&,
                        const journal::CashMovement&) override {
      throw std::bad_alloc();
    }
  } throwing;
  ConversionDriver throwingDriver{{throwing, xml}, messages};
  EXPECT_THROW(throwingDriver.ConvertJournal(Journal(CashIn(1)), "out", OutputKind::Excel),
               std::bad_alloc);
  EXPECT_EQ(throwing.Lifecycle(), (std::vector<std::string>{"Create", "Close"}));
}

TEST_F(ConversionDriverTest, RefusedEntryShowsTheWriterThenTheDriver) {
  xml.FailEntry(2);
  EXPECT_FALSE(Convert(Journal(CashIn(1) + CashIn(2) + CashIn(3))));
  EXPECT_EQ(xml.Lifecycle(), (std::vector<std::string>{"Create", "Close"}));
  EXPECT_EQ(messages.shown,
            (std::vector<Shown>{Error("CashIn failed"), Error("Ошибка преобразования данных")}));
}

TEST_F(ConversionDriverTest, HeaderReadErrorAwayFromTheEndIsABadJournal) {
  // A directory opened as a stream fails its reads without reaching an end.
  JournalStream stream(std::fopen(dir.Path().c_str(), "rb"));
  EXPECT_FALSE(driver.ConvertJournal(stream, "out", OutputKind::Xml));
  EXPECT_EQ(xml.Lifecycle(), (std::vector<std::string>{"Create", "Close"}));
  EXPECT_EQ(messages.shown, std::vector<Shown>{Error("Неверный файл БД")});
}

TEST_F(ConversionDriverTest, FailedSaveShowsTheWriterThenTheDriver) {
  excel.FailSave();
  xml.FailSave();
  const std::string journal = Journal(CashIn(1));
  EXPECT_FALSE(Convert(journal, OutputKind::Excel));
  EXPECT_FALSE(Convert(journal, OutputKind::Xml));
  EXPECT_EQ(excel.Lifecycle(), kSavedAndClosed);
  EXPECT_EQ(messages.shown,
            (std::vector<Shown>{Error("Save failed"), Error("Ошибка записи файла Excel"),
                                Error("Save failed"), Error("Ошибка записи файла XML")}));
}

TEST_F(ConversionDriverTest, AnyKindButExcelSelectsTheXmlWriter) {
  EXPECT_TRUE(Convert(Journal(CashIn(1)), static_cast<OutputKind>(7)));
  EXPECT_EQ(xml.TotalCount(), 1u);
  EXPECT_TRUE(excel.Lifecycle().empty());
}

TEST_F(ConversionDriverTest, SecondConversionNumbersEntriesFromTheStartAgain) {
  const std::string journal = Journal(CashIn(1) + CashIn(2));
  ASSERT_TRUE(Convert(journal, OutputKind::Excel));
  ASSERT_TRUE(Convert(journal, OutputKind::Excel));
  ASSERT_EQ(excel.Entries().size(), 2u);
  EXPECT_EQ(excel.Entries()[0].text.substr(0, 9), "CashIn 2 ");
  EXPECT_EQ(driver.Counters().CashMovements, 2u);
}

TEST_F(ConversionDriverTest, OutputThatIsTheJournalUnderAnyNameIsRefusedUntouched) {
  const std::string bytes = CashIn(1);
  const std::string journal = Journal(bytes);
  fs::create_hard_link(journal, dir / "hard.xml");
  fs::create_symlink(journal, dir / "link.xml");
  for (const fs::path& output : {fs::path(journal), dir / "hard.xml", dir / "link.xml"}) {
    for (const OutputKind kind : {OutputKind::Xml, OutputKind::Excel}) {
      EXPECT_FALSE(driver.ConvertJournal(journal, output.string(), kind)) << output;
    }
  }
  EXPECT_EQ(messages.shown,
            std::vector<Shown>(6, Error("Файл результата совпадает с файлом БД: выберите для "
                                        "результата другое имя")));
  EXPECT_TRUE(excel.Lifecycle().empty());
  EXPECT_TRUE(xml.Lifecycle().empty());
  EXPECT_EQ(test::ReadFile(journal), bytes);
}

TEST_F(ConversionDriverTest, OutputThatIsNoRegularFileIsRefusedBeforeConverting) {
  const std::string journal = Journal(CashIn(1));
  const fs::path fifo = dir / "fifo.xml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(dir / "folder.xls");
  fs::create_symlink(fifo, dir / "to-fifo.xml");
  EXPECT_FALSE(driver.ConvertJournal(journal, fifo.string(), OutputKind::Xml));
  EXPECT_FALSE(driver.ConvertJournal(journal, (dir / "folder.xls").string(), OutputKind::Excel));
  EXPECT_FALSE(driver.ConvertJournal(journal, (dir / "to-fifo.xml").string(), OutputKind::Xml));
  EXPECT_FALSE(driver.ConvertJournal(journal, "/dev/null", OutputKind::Xml));
  EXPECT_EQ(messages.shown,
            (std::vector<Shown>{
                Error("Нельзя сохранить результат: «" + fifo.string() +
                      "» — это именованный канал, а не файл"),
                Error("Нельзя сохранить результат: «" + (dir / "folder.xls").string() +
                      "» — это папка, а не файл"),
                Error("Нельзя сохранить результат: «" + (dir / "to-fifo.xml").string() +
                      "» — это именованный канал, а не файл"),
                Error("Нельзя сохранить результат: «/dev/null» — это устройство, а не файл")}));
  EXPECT_TRUE(excel.Lifecycle().empty());
  EXPECT_TRUE(xml.Lifecycle().empty());
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_empty(dir / "folder.xls"));
}

TEST_F(ConversionDriverTest, WriterLearnsTheOutputPathWhenItCreatesItsDocument) {
  // A writer that remembers the path it was created for.
  class PathWriter : public journal::RecordingWriter {
   public:
    bool CreateDocument(const std::string& outputPath) override {
      createdFor = outputPath;
      return journal::RecordingWriter::CreateDocument(outputPath);
    }
    std::string createdFor;
  } paths;
  ConversionDriver withPaths{{paths, paths}, messages};
  const std::string output = (dir / "o.xml").string();
  EXPECT_TRUE(withPaths.ConvertJournal(Journal(CashIn(1)), output, OutputKind::Xml));
  EXPECT_EQ(paths.createdFor, output);
}

using Stage = ConversionProgress::Stage;
using platform::Cancellation;

std::string CashIns(std::uint32_t count) {
  std::string bytes;
  for (std::uint32_t n = 1; n <= count; ++n) bytes += CashIn(n);
  return bytes;
}

TEST_F(ConversionDriverTest, StreamKnowsItsSizeAndCountsWhatItReadShortReadsToo) {
  const std::string bytes = CashIn(1);
  const std::string path = Journal(bytes);
  const auto stream = JournalStream::Open(path);
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->Size(), bytes.size());
  char buffer[64];
  ASSERT_TRUE(stream->ReadItem(buffer, 10));
  EXPECT_FALSE(stream->ReadItem(buffer, sizeof buffer));
  EXPECT_EQ(stream->BytesRead(), bytes.size());
  EXPECT_TRUE(stream->AtEnd());

  // A stream given open is measured from where it stands.
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_EQ(std::fseek(file, 3, SEEK_SET), 0);
  JournalStream given(file);
  EXPECT_EQ(given.Size(), bytes.size() - 3);
  ASSERT_TRUE(given.ReadItem(buffer, 1));
  EXPECT_EQ(buffer[0], bytes[3]);
}

TEST_F(ConversionDriverTest, ProgressRisesAtABoundedRateToTheWholeJournalThenSaving) {
  constexpr std::uint32_t kPackets = 12000;
  const std::string bytes = CashIns(kPackets);
  std::vector<ConversionProgress> reports;
  driver.SetProgressListener([&reports](const ConversionProgress& progress) {
    reports.push_back(progress);
    // Slower than the report interval, so that every clock check reports.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
  });
  xml.SetKeepEntries(false);
  ASSERT_TRUE(Convert(Journal(bytes)));

  ASSERT_GE(reports.size(), 5u);
  EXPECT_EQ(reports.front().stage, Stage::Reading);
  EXPECT_EQ(reports.front().bytesRead, 0u);
  EXPECT_EQ(reports.front().entries, 0u);
  const ConversionProgress& last = reports.back();
  EXPECT_EQ(last.stage, Stage::Saving);
  EXPECT_EQ(last.bytesRead, bytes.size());
  EXPECT_EQ(last.entries, kPackets);
  for (std::size_t i = 1; i + 1 < reports.size(); ++i) {
    EXPECT_EQ(reports[i].stage, Stage::Reading);
    EXPECT_EQ(reports[i].journalSize, bytes.size());
    // The clock is read only every so many packets.
    EXPECT_GE(reports[i].entries, reports[i - 1].entries + 1000) << i;
    EXPECT_GT(reports[i].bytesRead, reports[i - 1].bytesRead) << i;
  }
  EXPECT_LT(reports.size(), 8u);
  EXPECT_EQ(messages.shown, std::vector<Shown>{Info("Конвертация прошла успешно")});
}

TEST_F(ConversionDriverTest, EachConversionForgetsTheShareTheLastSaveReached) {
  platform::SaveProgress::Report(1, 1);
  std::optional<double> shareAtSave = 0.5;
  driver.SetProgressListener([&shareAtSave](const ConversionProgress& progress) {
    if (progress.stage == Stage::Saving) shareAtSave = platform::SaveProgress::Share();
  });
  ASSERT_TRUE(Convert(Journal(CashIn(1))));
  EXPECT_EQ(shareAtSave, std::nullopt);
}

TEST_F(ConversionDriverTest, CancelBetweenPacketsClosesUnsavedWithOneMessage) {
  const std::string journal = Journal(CashIns(8000));
  driver.SetProgressListener([](const ConversionProgress& progress) {
    if (progress.bytesRead > 0) Cancellation::Request();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
  });
  EXPECT_FALSE(Convert(journal, OutputKind::Excel));
  EXPECT_EQ(excel.Lifecycle(), (std::vector<std::string>{"Create", "Close"}));
  EXPECT_GT(excel.TotalCount(), 0u);
  EXPECT_LT(excel.TotalCount(), 8000u);
  EXPECT_EQ(messages.shown, std::vector<Shown>{Error("Конвертация отменена")});

  // The request stands for a conversion that starts later, one of a batch
  // say, until whoever starts them clears it.
  driver.SetProgressListener(nullptr);
  messages.shown.clear();
  EXPECT_FALSE(Convert(journal));
  Cancellation::Reset();
  EXPECT_TRUE(Convert(journal));
  EXPECT_EQ(messages.shown, (std::vector<Shown>{Error("Конвертация отменена"),
                                                Info("Конвертация прошла успешно")}));
}

TEST_F(ConversionDriverTest, CancelAsReadingStartsWritesNothing) {
  driver.SetProgressListener([](const ConversionProgress& progress) {
    if (progress.stage == Stage::Reading) Cancellation::Request();
  });
  EXPECT_FALSE(Convert(Journal(CashIn(1))));
  EXPECT_EQ(xml.Lifecycle(), (std::vector<std::string>{"Create", "Close"}));
  EXPECT_EQ(messages.shown, std::vector<Shown>{Error("Конвертация отменена")});
}

TEST_F(ConversionDriverTest, SaveFailingOnceCancelledIsTheCancelledOutcome) {
  // The stop arrives while the document is being saved, and the save gives up.
  xml.FailSave();
  driver.SetProgressListener([](const ConversionProgress& progress) {
    if (progress.stage == Stage::Saving) Cancellation::Request();
  });
  EXPECT_FALSE(Convert(Journal(CashIn(1))));
  EXPECT_EQ(xml.Lifecycle(), kSavedAndClosed);
  EXPECT_EQ(messages.shown,
            (std::vector<Shown>{Error("Save failed"), Error("Конвертация отменена")}));

  // A save that completes despite a late request is a success.
  Cancellation::Reset();
  messages.shown.clear();
  EXPECT_TRUE(Convert(Journal(CashIn(1)), OutputKind::Excel));
  EXPECT_EQ(messages.shown, std::vector<Shown>{Info("Конвертация прошла успешно")});
}

}  // namespace
}  // namespace z917::driver

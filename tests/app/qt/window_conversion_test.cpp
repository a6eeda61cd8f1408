// The window wired as the program wires it: real driver, writers and
// workbook engine; only the dialogs and message boxes are answered here.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <set>
#include <thread>
#include <utility>

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/qt/main_window.h"
#include "app/qt/message_boxes.h"
#include "app/qt/progress_dialog.h"
#include "driver/wired_conversion.h"
#include "gui_support.h"
#include "support/files.h"
#include "support/journal_files.h"
#include "support/temp_folder.h"

namespace z917::app::qt {
namespace {

namespace fs = std::filesystem;
using test::Shown;

using test::ThreadNotingMessages;

// What a timer saw of the window while a conversion ran.
struct Watched {
  int ticks = 0;
  bool dialogShown = false;
  int largestBarValue = -1;
  int barMaximum = -1;
  bool commandsDisabled = true;
};

ConversionProgressDialog* ShownProgressDialog() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<ConversionProgressDialog*>(window);
    if (dialog != nullptr && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

class WindowConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeJournal(300);
    form.show();
  }

  void MakeJournal(std::uint64_t packets) { test::WriteSyntheticJournal(journal, {packets, 7}); }
  // Stretches the conversion so that the progress dialog shows: the first
  // report waits until `release` holds of what the window's timer saw (so
  // however slow or busy the machine), each later one a while.
  void Slow(std::function<bool(const Watched&)> release) {
    releaseWhen = std::move(release);
    reportPause = std::chrono::milliseconds(60);
  }

  void Click(const char* button) {
    QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
  }
  // Clicks `button` with a timer watching the window every 10 ms and
  // calling `also` with the progress dialog once it shows.
  Watched ClickWatched(const char* button,
                       const std::function<void(ConversionProgressDialog&)>& also = {}) {
    Watched watched;
    released = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      ++watched.ticks;
      watched.commandsDisabled = watched.commandsDisabled && !Button("BtnBinToXls")->isEnabled() &&
                                 !Button("BtnBinToXml")->isEnabled();
      if (ConversionProgressDialog* dialog = ShownProgressDialog()) {
        watched.dialogShown = true;
        auto* bar = dialog->findChild<QProgressBar*>("ProgressBar1");
        watched.largestBarValue = std::max(watched.largestBarValue, bar->value());
        watched.barMaximum = bar->maximum();
        if (also) also(*dialog);
      }
      if (releaseWhen && releaseWhen(watched)) released = true;
    });
    timer.start();
    Click(button);
    return watched;
  }
  QPushButton* Button(const char* name) { return form.findChild<QPushButton*>(name); }
  // From the conversion's thread, at its first report.
  void HoldFirstReport() {
    if (closeOnFirstReport) CloseAndWait();
    while (releaseWhen && !released) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  // From the conversion's thread: has the window's thread close the window
  // and waits until it has, so that the close meets a running conversion.
  void CloseAndWait() {
    std::promise<void> closed;
    QMetaObject::invokeMethod(
        &form,
        [this, &closed] {
          form.close();
          closed.set_value();
        },
        Qt::QueuedConnection);
    closed.get_future().wait();
  }
  void Choose(const fs::path& output) {
    dialogs.openAnswer = {journal.string()};
    dialogs.saveAnswer = output.string();
  }

  test::WithApplication application;
  test::TempFolder dir{"z917_window"};
  fs::path journal = dir / "journal.bin";
  test::ScriptedDialogs dialogs;
  ThreadNotingMessages recorded;
  GuiThreadMessages messages{recorded};
  driver::WiredConversion conversion{messages};
  std::chrono::milliseconds reportPause{0};
  bool closeOnFirstReport = false;
  std::function<bool(const Watched&)> releaseWhen;
  std::atomic<bool> released{false};
  int stopQuestions = 0;
  bool stopAnswer = false;
  TForm1 form{{dialogs, std::bind_front(&driver::WiredConversion::ExcelVersion, &conversion),
               [this](const std::string& in, const std::string& out, OutputKind kind,
                      const driver::ProgressListener& progress) {
                 conversion.Convert(
                     in, out, kind,
                     [this, progress, first = true](const driver::ConversionProgress& p) mutable {
                       progress(p);
                       if (std::exchange(first, false)) HoldFirstReport();
                       std::this_thread::sleep_for(reportPause);
                     });
               },
               messages,
               [this] {
                 ++stopQuestions;
                 return stopAnswer;
               }}};
};

TEST_F(WindowConversionTest, XmlButtonConvertsJournalToProposedFileUnderCyrillicName) {
  const fs::path folder = dir / "Каса 2";
  fs::create_directories(folder);
  fs::rename(journal, folder / "журнал.bin");
  dialogs.openAnswer = {(folder / "журнал.bin").string()};
  dialogs.saveAnswer = (folder / "журнал.xml").string();
  Click("BtnBinToXml");
  EXPECT_EQ(dialogs.runs.at(1).request.fileName, *dialogs.saveAnswer);
  EXPECT_EQ(recorded.shown,
            std::vector<Shown>({{MessageKind::Information, "Конвертация прошла успешно"}}));
  EXPECT_EQ(test::ReadFile(folder / "журнал.xml").substr(0, 5), "<?xml");
  EXPECT_GT(conversion.Driver().Counters().Sale, 0u);
  EXPECT_GT(fs::file_size(folder / "журнал.xml"), 10000u);
}

TEST_F(WindowConversionTest, XlsButtonConvertsJournalToXlsxWorkbook) {
  dialogs.openAnswer = {journal.string()};
  dialogs.saveAnswer = (dir / "journal.xlsx").string();
  Click("BtnBinToXls");
  // The built-in engine reports a version that writes the newer format.
  EXPECT_EQ(dialogs.runs.at(1).request.fileName, *dialogs.saveAnswer);
  EXPECT_EQ(recorded.shown,
            std::vector<Shown>({{MessageKind::Information, "Конвертация прошла успешно"}}));
  EXPECT_EQ(test::ReadFile(dir / "journal.xlsx").substr(0, 2), "PK");
}

TEST_F(WindowConversionTest, FailedSaveShowsWritersMessageThenDriversOnTheWindowThread) {
  dialogs.openAnswer = {journal.string()};
  const fs::path missing = dir / "missing";
  dialogs.saveAnswer = (missing / "journal.xlsx").string();
  Click("BtnBinToXls");
  dialogs.saveAnswer = (missing / "journal.xml").string();
  Click("BtnBinToXml");

  const std::vector<Shown>& shown = recorded.shown;
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].kind, MessageKind::Error);
  EXPECT_EQ(shown[0].text.rfind("Ошибка записи файла Excel: ", 0), 0u) << shown[0].text;
  EXPECT_EQ(shown[1], (Shown{MessageKind::Error, "Ошибка записи файла Excel"}));
  EXPECT_EQ(shown[2].kind, MessageKind::Error);
  EXPECT_EQ(shown[2].text.rfind("Ошибка записи XML файла: ", 0), 0u) << shown[2].text;
  EXPECT_EQ(shown[3], (Shown{MessageKind::Error, "Ошибка записи файла XML"}));
  EXPECT_EQ(recorded.threads, std::vector(4, std::this_thread::get_id()));
  EXPECT_FALSE(fs::exists(missing));

  // The window is still usable afterwards.
  dialogs.saveAnswer = (dir / "journal.xml").string();
  Click("BtnBinToXml");
  EXPECT_EQ(recorded.shown.back(), (Shown{MessageKind::Information, "Конвертация прошла успешно"}));
}

TEST_F(WindowConversionTest, ShortConversionShowsNoProgressDialog) {
  Choose(dir / "journal.xml");
  const Watched watched = ClickWatched("BtnBinToXml");
  EXPECT_FALSE(watched.dialogShown);
  EXPECT_TRUE(watched.commandsDisabled);
  EXPECT_TRUE(Button("BtnBinToXml")->isEnabled());
}

TEST_F(WindowConversionTest, LongConversionKeepsTheWindowTurningWithProgressToTheEnd) {
  MakeJournal(40000);
  Slow([](const Watched& seen) { return seen.ticks > 50 && seen.dialogShown; });
  Choose(dir / "journal.xml");
  const Watched watched = ClickWatched("BtnBinToXml");
  // The window's timer went on ticking while the conversion ran.
  EXPECT_GT(watched.ticks, 50);
  EXPECT_TRUE(watched.dialogShown);
  EXPECT_EQ(watched.largestBarValue, watched.barMaximum);
  EXPECT_TRUE(watched.commandsDisabled);
  for (const char* button : {"BtnBinToXls", "BtnBinToXml"})
    EXPECT_TRUE(Button(button)->isEnabled());
  EXPECT_EQ(form.focusWidget(), Button("BtnBinToXml"));  // Enter can run it again
  for (QAction* item : form.findChildren<QAction*>()) EXPECT_TRUE(item->isEnabled());
  EXPECT_EQ(recorded.shown,
            std::vector<Shown>({{MessageKind::Information, "Конвертация прошла успешно"}}));
  EXPECT_EQ(ShownProgressDialog(), nullptr);
  EXPECT_GT(fs::file_size(dir / "journal.xml"), 1000000u);
}

TEST_F(WindowConversionTest, CancelMidWayLeavesNoFileAndKeepsAnExistingOne) {
  MakeJournal(40000);
  // Cancel is pressed in the first tick that sees the dialog.
  Slow([](const Watched& seen) { return seen.dialogShown; });
  test::WriteFile(dir / "journal.xml", "old");
  const auto pressCancel = [](ConversionProgressDialog& dialog) {
    QPushButton* cancel = dialog.findChild<QPushButton*>("BtnCancel");
    if (cancel->isEnabled()) QTest::mouseClick(cancel, Qt::LeftButton);
  };
  Choose(dir / "journal.xml");
  EXPECT_TRUE(ClickWatched("BtnBinToXml", pressCancel).dialogShown);
  Choose(dir / "journal.xlsx");
  EXPECT_TRUE(ClickWatched("BtnBinToXls", pressCancel).dialogShown);

  EXPECT_EQ(recorded.shown, std::vector<Shown>(2, {MessageKind::Error, "Конвертация отменена"}));
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"journal.bin", "journal.xml"}));
  EXPECT_EQ(test::ReadFile(dir / "journal.xml"), "old");
  EXPECT_TRUE(Button("BtnBinToXml")->isEnabled());
}

TEST_F(WindowConversionTest, ClosingDuringConversionAsksAndStopsOnlyWhenAllowed) {
  closeOnFirstReport = true;
  Choose(dir / "journal.xml");
  Click("BtnBinToXml");  // refused: the conversion goes on
  EXPECT_EQ(stopQuestions, 1);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(recorded.shown.back(), (Shown{MessageKind::Information, "Конвертация прошла успешно"}));

  // Again while the progress dialog shows, which leaves the window open to
  // the window system's close: no modal window blocks it.
  closeOnFirstReport = false;
  stopAnswer = true;
  QWidget* blocking = nullptr;
  Slow([](const Watched& seen) { return seen.dialogShown; });
  ClickWatched("BtnBinToXml", [this, &blocking](ConversionProgressDialog&) {
    if (stopQuestions > 1) return;
    blocking = QApplication::activeModalWidget();
    form.close();
  });
  EXPECT_EQ(blocking, nullptr);
  EXPECT_EQ(stopQuestions, 2);
  EXPECT_EQ(recorded.shown.back(), (Shown{MessageKind::Error, "Конвертация отменена"}));
  // Closed once the conversion had ended.
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace z917::app::qt

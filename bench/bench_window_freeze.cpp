// Whether the window freezes while a click converts a 200,000-packet
// synthetic journal, to .xlsx and to XML. The conversion runs on a worker
// thread while the window's thread turns its event loop; a 1 ms timer
// fires at nearly every turn without keeping a core busy, and the longest
// gap between two firings is the longest the window could not repaint or
// answer. The dialogs answer
// at once and messages are collected, not shown, so only the conversion
// is timed.
//
//   bench_window_freeze BUILD_DIR [PACKETS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <QPushButton>
#include <QTimer>

#include "app/qt/file_dialogs.h"
#include "app/qt/gui_application.h"
#include "app/qt/main_window.h"
#include "app/qt/message_boxes.h"
#include "automation/server_factory.h"
#include "driver/conversion_driver.h"
#include "excel_writer/excel_book_writer.h"
#include "journal/synthetic_journal.h"
#include "seconds.h"
#include "xml/regional_settings.h"
#include "xml/xml_journal_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class AnsweringDialogs : public z917::app::FileDialogs {
 public:
  std::vector<std::string> RunOpen(const z917::app::FileDialogRequest&) override {
    return {journal};
  }
  // Accepts the proposed name.
  std::optional<std::string> RunSave(const z917::app::FileDialogRequest& request) override {
    return request.fileName;
  }
  std::optional<std::string> RunFolder(const z917::app::FileDialogRequest&) override {
    return std::nullopt;
  }
  z917::app::ExistingOutputs AskExisting(std::size_t) override {
    return z917::app::ExistingOutputs::Stop;
  }
  std::string journal;
};

class LastMessage : public z917::MessageSink {
 public:
  void ShowMessage(z917::MessageKind, const std::string& message) override { text = message; }
  std::string text;
};

// Times the turns of the window thread's event loop while it runs.
class TurnWatch {
 public:
  TurnWatch() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Turn(); });
    last_ = Clock::now();
    timer_.start();
  }
  int turns = 0;
  double longestGap = 0;

 private:
  void Turn() {
    const auto now = Clock::now();
    longestGap = std::max(longestGap, std::chrono::duration<double>(now - last_).count());
    last_ = now;
    ++turns;
  }
  QTimer timer_;
  Clock::time_point last_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_window_freeze BUILD_DIR [PACKETS]\n");
    return 2;
  }
  const std::uint64_t packets = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 200000;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int appArgc = 1;
  auto app = z917::app::qt::CreateApplication(appArgc, argv);

  const fs::path dir = fs::path(argv[1]) / "bench_window_freeze";
  fs::create_directories(dir);
  const fs::path journal = dir / "journal.bin";
  {
    std::ofstream out(journal, std::ios::binary);
    z917::journal::GenerateSyntheticJournal({packets, 1}, [&out](std::string_view packet) {
      out.write(packet.data(), static_cast<std::streamsize>(packet.size()));
    });
  }

  AnsweringDialogs dialogs;
  dialogs.journal = journal.string();
  LastMessage last;
  z917::app::qt::GuiThreadMessages messages(last);
  z917::excel_writer::ExcelBookWriter excel(z917::automation::StartServer, messages);
  z917::xml::XmlJournalWriter xml(messages, z917::xml::ReadRegionalSettings());
  z917::driver::ConversionDriver driver({excel, xml}, messages);
  z917::app::qt::TForm1 form(
      {dialogs, [] { return z917::excel_writer::GetExcelVersion(z917::automation::StartServer); },
       [&driver](const std::string& in, const std::string& out, z917::OutputKind kind,
                 const z917::driver::ProgressListener& progress) {
         driver.SetProgressListener(progress);
         driver.ConvertJournal(in, out, kind);
         driver.SetProgressListener(nullptr);
       },
       messages});
  form.show();

  std::printf("journal: %llu packets, %.1f MB\n", static_cast<unsigned long long>(packets),
              static_cast<double>(fs::file_size(journal)) / 1e6);
  int failures = 0;
  for (const char* button : {"BtnBinToXls", "BtnBinToXml"}) {
    last.text.clear();
    const auto start = Clock::now();
    TurnWatch watch;
    form.findChild<QPushButton*>(button)->click();
    const double seconds = bench::Seconds(start);
    const bool ok = last.text.rfind("Конвертация прошла успешно", 0) == 0;
    failures += !ok;
    std::printf("%s: %.2f s converting, event loop turned %d times, longest gap %.1f ms (%s)\n",
                button, seconds, watch.turns, watch.longestGap * 1000, last.text.c_str());
  }
  fs::remove_all(dir);
  return failures == 0 ? 0 : 1;
}

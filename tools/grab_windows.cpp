// Renders the main window, the about window and the progress dialog of a
// conversion offscreen into PNG files, the pictures the README shows.
//
//   grab_windows MAIN_PNG [ABOUT_PNG [PROGRESS_PNG]]
#include <cstdio>

#include <QPixmap>

#include "app/qt/about_window.h"
#include "app/qt/file_dialogs.h"
#include "app/qt/gui_application.h"
#include "app/qt/main_window.h"
#include "app/qt/progress_dialog.h"

namespace {

class NoMessages : public z917::MessageSink {
 public:
  void ShowMessage(z917::MessageKind, const std::string&) override {}
};

bool Grab(QWidget& window, const char* path) {
  window.show();
  QApplication::processEvents();
  const bool saved = window.grab().save(QString::fromLocal8Bit(path));
  if (!saved) std::fprintf(stderr, "grab_windows: cannot write %s\n", path);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: grab_windows MAIN_PNG [ABOUT_PNG [PROGRESS_PNG]]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  auto app = z917::app::qt::CreateApplication(argc, argv);
  z917::app::qt::QtFileDialogs dialogs;
  NoMessages messages;
  z917::app::qt::TForm1 form({dialogs, [] { return 0u; }, [](auto&&...) {}, messages});
  bool ok = Grab(form, argv[1]);
  if (argc >= 3) {
    z917::app::qt::TForm_About about(&form);
    ok = Grab(about, argv[2]) && ok;
  }
  if (argc == 4) {
    // A conversion of a month's journal, 42 % of the way through.
    z917::app::qt::ConversionProgressDialog progress({"каса-1_2026-03.bin"}, "каса-1_2026-03.xlsx",
                                                     &form);
    progress.SetProgress({z917::driver::ConversionProgress::Stage::Reading, 42, 100, 131000});
    ok = Grab(progress, argv[3]) && ok;
  }
  return ok ? 0 : 1;
}

#include "gui_support.h"

#include <memory>

#include <QApplication>
#include <QTimer>

#include "app/qt/gui_application.h"

namespace z917::test {

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "z917_app_qt_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: at exit Qt's own statics may already be gone.
  [[maybe_unused]] static QApplication* app = app::qt::CreateApplication(argc, argv).release();
}

void AnswerNextModal(std::function<void(QWidget*)> answer) {
  QTimer::singleShot(10, [answer = std::move(answer)]() mutable {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      answer(modal);
    } else {
      AnswerNextModal(std::move(answer));
    }
  });
}

}  // namespace z917::test

// Read by LeakSanitizer in the sanitizer build: fontconfig keeps its
// configuration cache until the process ends, and Qt never frees it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

// The application object and the process state it changes.
#include "app/gui_application.h"

#include <clocale>

#include <QIcon>

namespace z917::app {

std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv) {
  auto app = std::make_unique<QApplication>(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Z917 Journal Converter"));
  QApplication::setApplicationVersion(QStringLiteral("1.0.0.1"));
  // Matches the desktop entry, so that the desktop groups the window under it.
  QGuiApplication::setDesktopFileName(QStringLiteral("z917-converter"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/z917/z917-converter.png")));
  return app;
}

}  // namespace z917::app

// The application object and the process state it changes.
#include "app/qt/gui_application.h"

#include <clocale>

#include <QFile>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace z917::app::qt {

namespace {

// The toolkit's own texts (file dialogs, standard buttons, the overwrite
// question) in the system locale's language, where the system has them.
void LoadToolkitTranslation(QApplication& app) {
  auto* translator = new QTranslator(&app);
  if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(translator);
  } else {
    delete translator;
  }
}

}  // namespace

std::vector<std::string> JournalArguments(const QStringList& arguments) {
  std::vector<std::string> journals;
  for (qsizetype i = 1; i < arguments.size(); ++i)
    journals.push_back(QFile::encodeName(arguments[i]).toStdString());
  return journals;
}

std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv) {
  auto app = std::make_unique<QApplication>(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  LoadToolkitTranslation(*app);
  QApplication::setApplicationName(QStringLiteral("Z917 Journal Converter"));
  QApplication::setApplicationVersion(QStringLiteral("1.0.0.1"));
  // Matches the desktop entry, so that the desktop groups the window under it.
  QGuiApplication::setDesktopFileName(QStringLiteral("z917-converter"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/z917/z917-converter.png")));
  return app;
}

}  // namespace z917::app::qt

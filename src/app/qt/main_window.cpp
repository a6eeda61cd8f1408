// The main window's layout and its commands.
#include "app/qt/main_window.h"

#include <exception>
#include <utility>

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QTimer>

#include "app/output_name.h"
#include "app/qt/about_window.h"
#include "app/qt/background_conversion.h"
#include "app/qt/form_look.h"
#include "app/qt/message_boxes.h"
#include "app/window_texts.h"

namespace z917::app::qt {

namespace {

constexpr int kClientWidth = 362;
constexpr int kClientHeight = 150;

// The file name of a path in the file system's own encoding, for showing
// (UTF-8).
std::string ShownFileName(const std::string& path) {
  const std::string_view name = FileNameOf(path);
  return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())))
      .toStdString();
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int top) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(140, top, 75, 25);
  return button;
}

// The local files a drag carries, in the file system's encoding; none
// when it carries anything else.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
  std::vector<std::string> files;
  if (data == nullptr || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    files.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  return files;
}

QAction* MakeItem(QMenu* menu, const char* name, const QString& caption) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(name);
  return item;
}

}  // namespace

TForm1::TForm1(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), MainWindowCommands(std::move(services)) {
  setObjectName("Form1");
  setWindowTitle(QString::fromUtf8(kMainCaption));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  ApplyFormLook(*this, QStringLiteral("Tahoma"));
  BuildMenu();
  BuildButtons();
  // The client area is fixed; the menu bar sits above it.
  setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
  CentreOnScreen(*this);
  setAcceptDrops(true);
}

void TForm1::BuildButtons() {
  auto* client = new QWidget(this);
  client->setObjectName("ClientArea");
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);
  BtnBinToXls = MakeButton(client, "BtnBinToXls", QStringLiteral("Bin --> Xls"), 35);
  BtnBinToXml = MakeButton(client, "BtnBinToXml", QStringLiteral("Bin --> Xml"), 75);
  QWidget::setTabOrder(BtnBinToXls, BtnBinToXml);
  connect(BtnBinToXls, &QPushButton::clicked, this,
          [this] { Guarded([this] { BtnBinToXlsClick(); }); });
  connect(BtnBinToXml, &QPushButton::clicked, this,
          [this] { Guarded([this] { BtnBinToXmlClick(); }); });
}

void TForm1::BuildMenu() {
  QMenuBar* MainMenu1 = menuBar();
  MainMenu1->setObjectName("MainMenu1");
  // The platform's global menu bar would take the menu out of the window.
  MainMenu1->setNativeMenuBar(false);
  // Each caption's "&" marks the letter that opens or runs it with Alt
  // (or alone, inside an open menu).
  QMenu* Menu_File = MainMenu1->addMenu(QStringLiteral("&Файл"));
  Menu_File->setObjectName("Menu_File");
  Menu_BinXls = MakeItem(Menu_File, "Menu_BinXls", QStringLiteral("Bin --> &Xls"));
  Menu_BinXml = MakeItem(Menu_File, "Menu_BinXml", QStringLiteral("Bin --> X&ml"));
  Menu_File->addSeparator()->setObjectName("N2");
  Menu_Exit = MakeItem(Menu_File, "Menu_Exit", QStringLiteral("&Выход"));
  QMenu* Menu_Help = MainMenu1->addMenu(QStringLiteral("&Справка"));
  Menu_Help->setObjectName("Menu_Help");
  Menu_About = MakeItem(Menu_Help, "Menu_About", QStringLiteral("&О программе..."));
  // F10 opens the first menu, as on Windows; the toolkit does not.
  auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(f10, &QShortcut::activated, this,
          [MainMenu1, Menu_File] { MainMenu1->setActiveAction(Menu_File->menuAction()); });

  connect(Menu_BinXls, &QAction::triggered, this,
          [this] { Guarded([this] { Menu_BinXlsClick(); }); });
  connect(Menu_BinXml, &QAction::triggered, this,
          [this] { Guarded([this] { Menu_BinXmlClick(); }); });
  connect(Menu_Exit, &QAction::triggered, this, [this] { Guarded([this] { Menu_ExitClick(); }); });
  connect(Menu_About, &QAction::triggered, this,
          [this] { Guarded([this] { Menu_AboutClick(); }); });
}

void TForm1::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& error) {
    Services().errors.ShowMessage(MessageKind::Error, error.what());
  } catch (...) {
    // Nothing to tell about an error of unknown kind but that it happened.
    Services().errors.ShowMessage(MessageKind::Error, std::string());
  }
}

void TForm1::RunInBackground(const BackgroundWork& work) {
  // Disabling the focused button takes the focus away; it comes back after.
  const QPointer<QWidget> focused = focusWidget();
  SetCommandsEnabled(false);
  setCursor(Qt::BusyCursor);
  // Whatever the conversion throws, the window is usable again afterwards.
  const auto restore = qScopeGuard([this, focused] {
    unsetCursor();
    SetCommandsEnabled(true);
    if (focused) focused->setFocus();
  });
  std::vector<std::string> journalNames;
  for (const std::string& journal : work.journals) journalNames.push_back(ShownFileName(journal));
  RunConversionInBackground(this, journalNames, ShownFileName(work.output), work.run);
}

void TForm1::SetCommandsEnabled(bool enabled) {
  for (QPushButton* button : {BtnBinToXls, BtnBinToXml}) button->setEnabled(enabled);
  for (QAction* item : {Menu_BinXls, Menu_BinXml, Menu_Exit, Menu_About}) item->setEnabled(enabled);
}

void TForm1::OpenJournalsSoon(const std::vector<std::string>& journals) {
  if (journals.empty()) return;
  QTimer::singleShot(0, this, [this, journals] { Guarded([&] { OpenJournals(journals); }); });
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!Converting() && !DroppedFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  if (Converting()) return;
  const std::vector<std::string> files = DroppedFiles(event->mimeData());
  if (files.empty()) return;
  event->acceptProposedAction();
  // Dialogs wait until the drag has ended, so that its source is free.
  OpenJournalsSoon(files);
}

void TForm1::keyPressEvent(QKeyEvent* event) {
  if (!PressFocusedButton(*this, event)) QMainWindow::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (MayClose()) {
    QMainWindow::closeEvent(event);
  } else {
    event->ignore();
  }
}

bool TForm1::AskStop() { return AskYesNo(QString::fromUtf8(kStopQuestion), this); }

void TForm1::Menu_ExitClick() { close(); }

void TForm1::Menu_AboutClick() {
  TForm_About about(this);
  Form_About = &about;
  about.exec();
  Form_About = nullptr;
}

}  // namespace z917::app::qt

#include "app/qt/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include "app/qt/gui_application.h"
#include "automation/automation_error.h"
#include "gui_support.h"

namespace z917::app::qt {
namespace {

using test::ScriptedDialogs;
using test::Shown;

struct Conversion {
  std::string journal;
  std::string output;
  OutputKind kind;
  bool operator==(const Conversion&) const = default;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureApplication(); }

  TForm1& Form() {
    if (!form) {
      form = std::make_unique<TForm1>(
          MainWindowServices{dialogs,
                             [this] {
                               if (!excelStarts)
                                 throw automation::AutomationError(
                                     "Класс не зарегистрирован, ProgID: \"Excel.Application\"");
                               return excelVersion;
                             },
                             [this](const std::string& journal, const std::string& output,
                                    OutputKind kind, const driver::ProgressListener&) {
                               conversions.push_back({journal, output, kind});
                             },
                             errors});
      form->show();
    }
    return *form;
  }
  QPushButton* Button(const char* name) { return Form().findChild<QPushButton*>(name); }
  QAction* Item(const char* name) { return Form().findChild<QAction*>(name); }
  void Click(const char* button) { QTest::mouseClick(Button(button), Qt::LeftButton); }
  std::vector<bool> SaveRuns() const { return dialogs.SaveRuns(); }

  ScriptedDialogs dialogs;
  test::RecordingMessages errors;
  std::uint32_t excelVersion = 16;
  bool excelStarts = true;
  std::vector<Conversion> conversions;
  std::unique_ptr<TForm1> form;
};

TEST_F(MainWindowTest, LaysOutFixedWindowWithTwoButtons) {
  TForm1& form = Form();
  EXPECT_EQ(form.windowTitle(), "Z917 Journal Converter v.1.0.0.1");
  EXPECT_EQ(form.centralWidget()->size(), QSize(362, 150));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(form.palette().color(QPalette::Window), form.palette().color(QPalette::Button));
  EXPECT_EQ(form.font().pointSize(), 8);
  // Tahoma where it is installed, the system's sans-serif face elsewhere.
  QFont sans;
  sans.setStyleHint(QFont::SansSerif);
  sans.setFamily(QStringLiteral("Sans Serif"));
  EXPECT_TRUE(QFontInfo(form.font()).family() == "Tahoma" ||
              QFontInfo(form.font()).family() == QFontInfo(sans).family())
      << QFontInfo(form.font()).family().toStdString();

  EXPECT_EQ(Button("BtnBinToXls")->text(), "Bin --> Xls");
  EXPECT_EQ(Button("BtnBinToXls")->geometry(), QRect(140, 35, 75, 25));
  EXPECT_EQ(Button("BtnBinToXml")->text(), "Bin --> Xml");
  EXPECT_EQ(Button("BtnBinToXml")->geometry(), QRect(140, 75, 75, 25));
  EXPECT_EQ(Button("BtnBinToXls")->nextInFocusChain(), Button("BtnBinToXml"));
}

// The caption as shown, without the mark of its mnemonic.
QString Caption(const QAction* action) { return QString(action->text()).remove('&'); }

TEST_F(MainWindowTest, MenuHoldsItemsInOrderWithSeparatorEachWithItsOwnMnemonic) {
  const QList<QAction*> menus = Form().menuBar()->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(Caption(menus[0]), "Файл");
  EXPECT_EQ(Caption(menus[1]), "Справка");
  QStringList file;
  QList<QKeySequence> mnemonics;
  for (QAction* item : menus[0]->menu()->actions()) {
    file << (item->isSeparator() ? "-" : Caption(item));
    EXPECT_TRUE(item->shortcut().isEmpty());
    if (!item->isSeparator()) mnemonics << QKeySequence::mnemonic(item->text());
  }
  EXPECT_EQ(file, QStringList({"Bin --> Xls", "Bin --> Xml", "-", "Выход"}));
  ASSERT_EQ(menus[1]->menu()->actions().size(), 1);
  EXPECT_EQ(Caption(menus[1]->menu()->actions()[0]), "О программе...");

  mnemonics << QKeySequence::mnemonic(menus[0]->text()) << QKeySequence::mnemonic(menus[1]->text())
            << QKeySequence::mnemonic(menus[1]->menu()->actions()[0]->text());
  for (const QKeySequence& key : mnemonics) {
    EXPECT_FALSE(key.isEmpty());
    EXPECT_EQ(mnemonics.count(key), 1) << key.toString().toStdString();
  }
}

TEST_F(MainWindowTest, KeyboardOpensTheMenuAndEnterPressesTheFocusedButton) {
  TForm1& form = Form();
  QApplication::setActiveWindow(&form);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  QMenu* file = Item("Menu_BinXls")->associatedObjects().isEmpty()
                    ? nullptr
                    : qobject_cast<QMenu*>(Item("Menu_BinXls")->associatedObjects().front());
  ASSERT_NE(file, nullptr);
  // Alt alone selects the menu bar's first menu; a second Alt leaves it.
  EXPECT_EQ(form.menuBar()->activeAction(), nullptr);
  QTest::keyPress(&form, Qt::Key_Alt, Qt::AltModifier);
  QTest::keyRelease(&form, Qt::Key_Alt);
  EXPECT_EQ(form.menuBar()->activeAction(), file->menuAction());
  QTest::keyPress(&form, Qt::Key_Alt, Qt::AltModifier);
  QTest::keyRelease(&form, Qt::Key_Alt);
  EXPECT_EQ(form.menuBar()->activeAction(), nullptr);

  // F10 opens the first menu.
  QTest::keyClick(&form, Qt::Key_F10);
  EXPECT_TRUE(QTest::qWaitFor([file] { return file->isVisible(); }, 2000));
  file->hide();

  dialogs.openAnswer = {};
  Button("BtnBinToXml")->setFocus();
  QTest::keyClick(Button("BtnBinToXml"), Qt::Key_Return);
  EXPECT_EQ(SaveRuns(), std::vector<bool>({false}));
  Button("BtnBinToXls")->setFocus();
  QTest::keyClick(Button("BtnBinToXls"), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(SaveRuns(), std::vector<bool>({false, false}));
}

TEST_F(MainWindowTest, MenuItemsRunTheButtonsCommands) {
  dialogs.openAnswer = {"/data/j.bin"};
  dialogs.saveAnswer = "/data/out";
  Item("Menu_BinXls")->trigger();
  Item("Menu_BinXml")->trigger();
  EXPECT_EQ(conversions, std::vector<Conversion>({{"/data/j.bin", "/data/out", OutputKind::Excel},
                                                  {"/data/j.bin", "/data/out", OutputKind::Xml}}));

  Item("Menu_Exit")->trigger();
  EXPECT_TRUE(Form().isHidden());
}

TEST_F(MainWindowTest, ExcelThatCannotStartShowsErrorAndWindowStaysUsable) {
  excelStarts = false;
  dialogs.openAnswer = {"/data/journal.bin"};
  dialogs.saveAnswer = "/data/journal.xml";
  Click("BtnBinToXls");
  EXPECT_TRUE(conversions.empty());
  EXPECT_EQ(errors.shown, std::vector<Shown>({{MessageKind::Error,
                                               "Класс не зарегистрирован, ProgID: "
                                               "\"Excel.Application\""}}));

  Click("BtnBinToXml");
  EXPECT_EQ(conversions.size(), 1u);
}

TEST_F(MainWindowTest, DroppedJournalsAndArgumentsStartTheExcelCommand) {
  QMimeData dragged;
  dragged.setUrls({QUrl::fromLocalFile("/data/j.bin")});
  // Straight to the window: the application routes drops only from a drag
  // the window system runs.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject&>(Form()).event(&enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject&>(Form()).event(&drop);
  // The dialogs wait for the drag to end.
  EXPECT_TRUE(dialogs.runs.empty());
  QCoreApplication::processEvents();
  ASSERT_EQ(dialogs.runs.size(), 1u);
  EXPECT_EQ(dialogs.runs[0].kind, ScriptedDialogs::Kind::Save);
  EXPECT_EQ(dialogs.runs[0].request.fileName, "/data/j.xlsx");

  const std::vector<std::string> journals =
      JournalArguments({"z917-converter", "/data/a.bin", "/data/b.bin"});
  EXPECT_EQ(journals, std::vector<std::string>({"/data/a.bin", "/data/b.bin"}));
  Form().OpenJournalsSoon(journals);
  QCoreApplication::processEvents();
  ASSERT_EQ(dialogs.runs.size(), 2u);
  EXPECT_EQ(dialogs.runs[1].kind, ScriptedDialogs::Kind::Folder);
}

}  // namespace
}  // namespace z917::app::qt

#include "app/qt/about_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/qt/form_look.h"
#include "app/qt/main_window.h"
#include "gui_support.h"

namespace z917::app::qt {
namespace {

struct SeenAbout {
  QString caption;
  QString title;
  QString maker;
  QSize size;
  QSize logo;
  bool fixed = false;
  bool maximisable = true;
  bool closedByEscape = true;
  bool closedByEnter = false;
};

std::size_t AboutWindows() {
  std::size_t count = 0;
  for (QWidget* widget : QApplication::allWidgets())
    count += qobject_cast<TForm_About*>(widget) != nullptr;
  return count;
}

// Reads what the shown about window offers, tries Escape, then presses "ОК".
void InspectAndClose(QWidget* modal, SeenAbout& seen) {
  auto* about = qobject_cast<TForm_About*>(modal);
  ASSERT_NE(about, nullptr);
  seen.caption = about->windowTitle();
  seen.title = about->findChild<QLabel*>("Label1")->text();
  seen.maker = about->findChild<QLabel*>("Label2")->text();
  seen.size = about->size();
  seen.logo = about->findChild<QLabel*>("Image1")->pixmap().size();
  seen.fixed = about->minimumSize() == about->maximumSize();
  seen.maximisable =
      about->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
  QTest::keyClick(about, Qt::Key_Escape);
  seen.closedByEscape = !about->isVisible();
  auto* ok = about->findChild<QPushButton*>("Button1");
  ASSERT_EQ(ok->text(), "ОК");
  // Enter on the focused button presses it.
  ok->setFocus();
  QTest::keyClick(ok, Qt::Key_Return);
  seen.closedByEnter = !about->isVisible();
  if (!seen.closedByEnter) QTest::mouseClick(ok, Qt::LeftButton);
}

TEST(AboutWindow, OpensFreshTwiceInARowAndLeavesNothingBehind) {
  test::EnsureApplication();
  test::ScriptedDialogs dialogs;
  test::RecordingMessages errors;
  TForm1 form({dialogs, [] { return 16u; }, [](auto&&...) {}, errors});
  form.show();
  QAction* item = form.findChild<QAction*>("Menu_About");

  for (int use = 0; use < 2; ++use) {
    SeenAbout seen;
    test::AnswerNextModal([&seen](QWidget* modal) { InspectAndClose(modal, seen); });
    item->trigger();
    EXPECT_EQ(seen.caption, "О программе...");
    EXPECT_EQ(seen.title, "Velmar Z917 Journal Converter Версия 1.0");
    EXPECT_FALSE(seen.maker.isEmpty());
    EXPECT_EQ(seen.size, QSize(582, 243));
    EXPECT_EQ(seen.logo, QSize(561, 62));
    EXPECT_TRUE(seen.fixed);
    EXPECT_FALSE(seen.maximisable);
    EXPECT_FALSE(seen.closedByEscape);
    EXPECT_TRUE(seen.closedByEnter);
    EXPECT_EQ(AboutWindows(), 0u) << "use " << use;
  }
  EXPECT_TRUE(errors.shown.empty());
}

// Also run at 200 % (see CMakeLists.txt).
TEST(AboutWindow, LogoSharpAtAnyScale) {
  test::EnsureApplication();
  for (const double ratio : {1.0, 1.5, 2.0}) {
    const QPixmap logo = LogoPixmap(ratio);
    EXPECT_EQ(logo.devicePixelRatio(), ratio);
    EXPECT_EQ(logo.size(), (QSizeF(561, 62) * ratio).toSize()) << ratio;
  }
  // The window takes the logo for its screen's scale.
  TForm_About about(nullptr);
  const QPixmap shown = about.findChild<QLabel*>("Image1")->pixmap();
  EXPECT_EQ(shown.devicePixelRatio(), about.devicePixelRatioF());
  EXPECT_EQ(shown.deviceIndependentSize(), QSizeF(561, 62));
}

}  // namespace
}  // namespace z917::app::qt

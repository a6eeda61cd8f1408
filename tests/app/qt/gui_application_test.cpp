#include "app/qt/gui_application.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QCoreApplication>
#include <QLocale>

#include "gui_support.h"

namespace z917::app::qt {
namespace {

TEST(GuiApplication, KeepsNumericLocaleCAfterQtTookTheEnvironments) {
  test::EnsureApplication();
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  char text[16];
  std::snprintf(text, sizeof text, "%.2f", 1.5);
  EXPECT_STREQ(text, "1.50");
  // The rest still follows the environment, as Qt set it.
  const char* wanted = std::getenv("LC_ALL");
  if (wanted && std::string(wanted) != "C") {
    EXPECT_STRNE(std::setlocale(LC_TIME, nullptr), "C");
  }
}

TEST(GuiApplication, ToolkitSpeaksTheSystemLocalesLanguage) {
  test::EnsureApplication();
  const QString language = QLocale().name().left(2);
  if (language != "uk") GTEST_SKIP() << "the tests run under uk_UA.UTF-8";
  // The file dialogs' words and the question before replacing a file.
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), "Відкрити");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Скасувати");
  EXPECT_NE(
      QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?"),
      "%1 already exists.\nDo you want to replace it?");
}

}  // namespace
}  // namespace z917::app::qt

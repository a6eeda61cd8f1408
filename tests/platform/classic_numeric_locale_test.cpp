#include "platform/classic_numeric_locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

namespace z917::platform {
namespace {

std::string Printed(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// Sets the process's numeric locale to one with a decimal comma for one
// test; false when the system has none of the names tried.
class CommaLocale {
 public:
  CommaLocale() : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
    for (const char* name : {"uk_UA.UTF-8", "ru_UA.UTF-8", "Ukrainian_Ukraine.1251", "uk-UA"}) {
      if (std::setlocale(LC_NUMERIC, name) != nullptr && Printed(1.5) == "1,5") return;
    }
    std::setlocale(LC_NUMERIC, previous_.c_str());
    previous_.clear();
  }
  ~CommaLocale() {
    if (!previous_.empty()) std::setlocale(LC_NUMERIC, previous_.c_str());
  }
  bool Set() const { return !previous_.empty(); }

 private:
  std::string previous_;
};

TEST(ClassicNumericLocale, PrintsTheFullStopWhileItLivesAndPutsTheLocaleBack) {
  CommaLocale comma;
  if (!comma.Set()) GTEST_SKIP() << "no locale with a decimal comma is installed";
  {
    ClassicNumericLocale classic;
    ASSERT_TRUE(classic.Active());
    EXPECT_EQ(Printed(1.5), "1.5");
    {
      ClassicNumericLocale nested;  // a save inside a save keeps the stop
      EXPECT_EQ(Printed(2.5), "2.5");
    }
    EXPECT_EQ(Printed(3.5), "3.5");
  }
  EXPECT_EQ(Printed(1.5), "1,5");
}

}  // namespace
}  // namespace z917::platform

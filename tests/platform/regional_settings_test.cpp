#include "platform/regional_settings.h"

#include <gtest/gtest.h>

#include <locale.h>
#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace z917::platform {
namespace {

// Sets the locale variables for one test and puts the old ones back.
class LocaleEnvironment {
 public:
  LocaleEnvironment() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
      ::unsetenv(name);
    }
  }
  ~LocaleEnvironment() {
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
      if (saved_[i])
        ::setenv(kNames[i], saved_[i]->c_str(), 1);
      else
        ::unsetenv(kNames[i]);
    }
  }
  void Set(const char* name, const char* value) { ::setenv(name, value, 1); }

 private:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANG"};
  std::vector<std::optional<std::string>> saved_;
};

bool Installed(const char* name) {
  locale_t l = ::newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
  if (l) ::freelocale(l);
  return l != static_cast<locale_t>(0);
}

TEST(RegionalSettings, ReadsTheEnvironmentsLocaleAndLeavesTheGlobalOneAtC) {
  if (!Installed("uk_UA.UTF-8")) GTEST_SKIP() << "uk_UA.UTF-8 is not installed";
  LocaleEnvironment env;
  env.Set("LC_ALL", "uk_UA.UTF-8");
  const RegionalSettings settings = ReadRegionalSettings();
  EXPECT_EQ(settings.decimalSeparator, ",");
  EXPECT_EQ(settings.shortDateFormat, "%d.%m.%y");
  EXPECT_EQ(settings.longTimeFormat, "%T");
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}

TEST(RegionalSettings, EachCategoryFallsBackOnItsOwn) {
  if (!Installed("uk_UA.UTF-8")) GTEST_SKIP() << "uk_UA.UTF-8 is not installed";
  LocaleEnvironment env;
  env.Set("LANG", "C.UTF-8");
  env.Set("LC_NUMERIC", "uk_UA.UTF-8");
  env.Set("LC_TIME", "xx_XX.UTF-8");  // not installed anywhere
  const RegionalSettings settings = ReadRegionalSettings();
  EXPECT_EQ(settings.decimalSeparator, ",");
  EXPECT_EQ(settings.shortDateFormat, "%m/%d/%y");
  EXPECT_EQ(settings.longTimeFormat, "%H:%M:%S");
}

TEST(RegionalSettings, ValuesOfALocaleInAnotherCharacterSetArriveAsUtf8) {
  if (!Installed("ja_JP.EUC-JP")) GTEST_SKIP() << "ja_JP.EUC-JP is not installed";
  LocaleEnvironment env;
  env.Set("LC_ALL", "ja_JP.EUC-JP");
  const RegionalSettings settings = ReadRegionalSettings();
  // The document is UTF-8: EUC-JP bytes copied raw would make it ill-formed.
  EXPECT_EQ(settings.shortDateFormat, "%Y年%m月%d日");
  EXPECT_EQ(settings.longTimeFormat, "%H時%M分%S秒");
  EXPECT_EQ(settings.decimalSeparator, ".");
}

}  // namespace
}  // namespace z917::platform

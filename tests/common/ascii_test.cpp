// ASCII letter case: A-Z and a-z match, every other byte only itself.
#include "common/ascii.h"

#include <gtest/gtest.h>

namespace z917 {
namespace {

TEST(AsciiCase, OnlyAsciiLettersFold) {
  struct Case {
    std::string_view a, b;
    bool equal;
  };
  const Case cases[] = {
      {"Excel.Application", "eXCEL.aPPLICATION", true},
      {"@[", "`{", false},      // the bytes beside A and Z, 0x20 apart
      {"Ї", "ї", false},        // UTF-8 letters stay as they are
      {"\xC0", "\xE0", false},  // and so do Windows-1251 ones
      {"Excel", "Excel.", false},
  };
  for (const auto& [a, b, equal] : cases) {
    EXPECT_EQ(EqualsIgnoringAsciiCase(a, b), equal) << a << " ~ " << b;
  }
  EXPECT_EQ(AsciiLower("Лист@1.XLSX"), "Лист@1.xlsx");
  EXPECT_TRUE(EndsWithIgnoringAsciiCase("Отчёт.XmL", ".xml"));
  EXPECT_FALSE(EndsWithIgnoringAsciiCase("ml", ".xml"));
  EXPECT_FALSE(EndsWithIgnoringAsciiCase("a.xmls", ".xml"));
}

}  // namespace
}  // namespace z917

#include "automation/workbook/text_checks.h"

#include <gtest/gtest.h>

#include "automation/automation_error.h"
#include "automation/workbook/workbook_model.h"

namespace z917::workbook {
namespace {

TEST(TextChecks, Utf16LengthCountsUnitsAndRejectsMalformedUtf8) {
  EXPECT_EQ(Utf16Length(""), 0u);
  EXPECT_EQ(Utf16Length("Ім’я"), 4u);
  EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u);  // U+1F600 takes a surrogate pair
  EXPECT_FALSE(Utf16Length("\xC0\x80"));           // overlong zero
  EXPECT_FALSE(Utf16Length("\xED\xA0\x80"));       // a surrogate itself
  EXPECT_FALSE(Utf16Length("\xF4\x90\x80\x80"));   // above U+10FFFF
  EXPECT_FALSE(Utf16Length("\xD0"));               // cut short
  EXPECT_FALSE(Utf16Length("\x98"));               // a lone Windows-1251 byte
}

TEST(TextChecks, FoldCaseCoversUkrainianAndRussianLetters) {
  EXPECT_EQ(FoldCase("ҐЄІЇЁЎ ЖАК Abc"), FoldCase("ґєіїёў жак aBC"));
  EXPECT_NE(FoldCase("Ґ"), FoldCase("Г"));
  EXPECT_TRUE(HasControlCharacter("a\tb"));
  EXPECT_TRUE(HasControlCharacter("a\xEF\xBF\xBF"));
  EXPECT_FALSE(HasControlCharacter("Підсумок чека продажу"));
}

TEST(TextChecks, SheetNamesClashInAnyLetterCase) {
  WorkbookModel book;
  book.RenameSheet(book.InsertSheet(0), "Їжак");
  Sheet& second = book.InsertSheet(1);
  EXPECT_EQ(second.Name(), "Лист2");
  EXPECT_THROW(book.RenameSheet(second, "ЇЖАК"), automation::AutomationError);
  EXPECT_THROW(book.RenameSheet(second, "history"), automation::AutomationError);
  EXPECT_THROW(book.RenameSheet(second, "a\nb"), automation::AutomationError);
  book.RenameSheet(second, "Їжак 2");
  book.RenameSheet(book.SheetAt(0), "ЇЖАК");  // its own name in another case
  EXPECT_EQ(book.FindByName("їжак"), 0u);
  // A new sheet skips a default name that is taken.
  book.RenameSheet(second, "лист3");
  EXPECT_EQ(book.InsertSheet(2).Name(), "Лист4");
}

}  // namespace
}  // namespace z917::workbook

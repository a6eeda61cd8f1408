#include "app/output_name.h"

#include <gtest/gtest.h>

namespace z917::app {
namespace {

TEST(OutputName, ReplacesLastExtensionOfFileNameOnly) {
  EXPECT_EQ(ProposedOutputName("/home/u/journal.bin", ".xlsx"), "/home/u/journal.xlsx");
  EXPECT_EQ(ProposedOutputName("/home/u/a.b.bin", ".xml"), "/home/u/a.b.xml");
  EXPECT_EQ(ProposedOutputName("/home/u/journal", ".xml"), "/home/u/journal.xml");
  EXPECT_EQ(ProposedOutputName("/home/u.v/journal", ".xml"), "/home/u.v/journal.xml");
  EXPECT_EQ(ProposedOutputName("/home/u/journal.", ".xls"), "/home/u/journal.xls");
  EXPECT_EQ(ProposedOutputName("journal.BIN", ".xml"), "journal.xml");
}

TEST(OutputName, ExcelFromVersion12OnGetsXlsx) {
  EXPECT_EQ(ExcelExtensionFor(0), ".xls");
  EXPECT_EQ(ExcelExtensionFor(11), ".xls");
  EXPECT_EQ(ExcelExtensionFor(12), ".xlsx");
  EXPECT_EQ(ExcelExtensionFor(16), ".xlsx");
}

}  // namespace
}  // namespace z917::app

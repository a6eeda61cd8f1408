// Windows' rules for names, which the output checks follow: text alone,
// so they are tried on every system.
#include "platform/path_checks.h"

#include <gtest/gtest.h>

#include <utility>

namespace z917::platform {
namespace {

TEST(WindowsNames, DevicesWhateverTheCaseAndExtension) {
  for (const char* name : {"CON", "con.xml", "Con.tar.gz", "nul.xls", "COM1.xml", "aux.xml", "lpt9",
                           "PRN.", "con .xml", "con . .xml", "LPT¹.xls", "com³", "nul:stream"}) {
    EXPECT_TRUE(IsWindowsDeviceName(name)) << name;
  }
  for (const char* name : {"", "console.xml", "com.xml", "com0.xml", "COM10", "lpt", "xcon.xml",
                           " con.xml", "nul1.xml", "comx", "com⁴", "con_.xml"}) {
    EXPECT_FALSE(IsWindowsDeviceName(name)) << name;
  }
}

TEST(WindowsNames, TheLastPartLosesTheDotsAndSpacesThatEndIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"out.xml.", "out.xml"},
      {"out.xml ", "out.xml"},
      {"out.xls. . ", "out.xls"},
      {"C:\\t\\o.x..", "C:\\t\\o.x"},
      {"d. /out", "d. /out"},
      {"C:x.", "C:x"},
      {"..", ".."},
      {"a\\ . ", "a\\ . "},
      {"", ""},
  };
  for (const auto& [typed, created] : cases) EXPECT_EQ(AsWindowsCreates(typed), created) << typed;
}

}  // namespace
}  // namespace z917::platform

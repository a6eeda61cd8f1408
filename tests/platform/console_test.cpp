#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace z917::platform {
namespace {

// What `write` puts into a file stream, read back as bytes.
template <typename F>
std::string WrittenToFile(F write) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return "tmpfile failed";
  write(file);
  std::rewind(file);
  std::string bytes;
  for (int c; (c = std::fgetc(file)) != EOF;) bytes += static_cast<char>(c);
  std::fclose(file);
  return bytes;
}

TEST(WriteText, AFileGetsTheUtf8BytesUnchanged) {
  // Also on Windows, where only a console gets wide text: the bytes of a
  // redirected output must stay UTF-8, line ends included (binary).
  const std::string text = "Конвертация прошла успешно\n\xE2\x82\xAC ok";
  EXPECT_EQ(WrittenToFile([&](std::FILE* f) { EXPECT_TRUE(WriteText(f, text)); }), text);
  EXPECT_EQ(WrittenToFile([](std::FILE* f) { EXPECT_TRUE(WriteText(f, "")); }), "");
}

TEST(WriteText, KeepsItsPlaceAmongTheStreamsOwnOutput) {
  EXPECT_EQ(WrittenToFile([](std::FILE* f) {
              std::fputs("до ", f);
              WriteText(f, "посередине");
              std::fputs(" после", f);
            }),
            "до посередине после");
}

TEST(ProgramArguments, AreTheArgumentsAfterTheProgramName) {
  // The test program's own: gtest keeps what it was started with. On
  // Windows they come from the wide command line, not from argv.
  const std::vector<std::string> started = ::testing::internal::GetArgvs();
  ASSERT_FALSE(started.empty());
  std::vector<char*> argv;
  for (const std::string& arg : started) argv.push_back(const_cast<char*>(arg.c_str()));
  const std::vector<std::string> expected(started.begin() + 1, started.end());
  EXPECT_EQ(ProgramArguments(static_cast<int>(argv.size()), argv.data()), expected);
}

}  // namespace
}  // namespace z917::platform

#include "platform/stderr_capture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace z917::platform {
namespace {

namespace fs = std::filesystem;

TEST(StderrCapture, catches_what_is_printed_and_puts_the_stream_back) {
  // Descriptor 2 goes to a file for the length of the test, so what leaks
  // past the capture can be read back.
  const fs::path leak = fs::path(::testing::TempDir()) / "z917_stderr_leak";
  std::fflush(stderr);
  const int saved = ::dup(2);
  std::FILE* file = std::fopen(leak.c_str(), "w");
  ASSERT_NE(file, nullptr);
  ::dup2(::fileno(file), 2);
  std::string caught;
  {
    StderrCapture capture;
    std::fprintf(stderr, "[ERROR] workbook_close(): %s\n", "noise");
    caught = capture.Text();
    std::fputs("more", stderr);
  }
  std::fputs("ours\n", stderr);
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  std::fclose(file);
  std::ifstream in(leak);
  const std::string leaked(std::istreambuf_iterator<char>(in), {});
  fs::remove(leak);
  EXPECT_EQ(caught, "[ERROR] workbook_close(): noise\n");
  EXPECT_EQ(leaked, "ours\n");
}

}  // namespace
}  // namespace z917::platform

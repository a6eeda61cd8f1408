// A folder of its own for the running test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "support/files.h"

namespace z917::test {

// A fresh, empty folder under GoogleTest's temporary folder, named after
// the running test and this process, so that tests run side by side (ctest
// -j, several build trees) never share one; removed with all it holds when
// this ends. `prefix` (UTF-8) begins the name. Throws
// std::filesystem::filesystem_error when the folder cannot be made.
class TempFolder {
 public:
  explicit TempFolder(std::string_view prefix = "z917") {
    std::string name(prefix);
    if (const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info()) {
      name += std::string("_") + test->test_suite_name() + "." + test->name();
    }
    name += "_" + std::to_string(ProcessId());
    for (char& c : name) {
      if (c == '/') c = '_';  // parameterised tests are named Suite/Test/0
    }
    path_ = std::filesystem::path(::testing::TempDir()) / PathFromUtf8(name);
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // `name` in the folder.
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }
  // Every name in the folder (or in its subfolder `sub`), hidden ones too, as UTF-8.
  std::set<std::string> Names(const std::filesystem::path& sub = {}) const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_ / sub)) {
      names.insert(Utf8(entry.path().filename()));
    }
    return names;
  }

 private:
  static long ProcessId() {
#ifdef _WIN32
    return static_cast<long>(::_getpid());
#else
    return static_cast<long>(::getpid());
#endif
  }

  std::filesystem::path path_;
};

}  // namespace z917::test

#include "automation/workbook/pending_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "automation/automation_error.h"

namespace z917::workbook {
namespace {

namespace fs = std::filesystem;

class PendingFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::path(::testing::TempDir()) /
          ("z917_pending_" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  static std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  fs::path dir;
};

TEST_F(PendingFileTest, temporary_file_sits_beside_target_until_committed) {
  const fs::path target = dir / "out.xlsx";
  std::string temp;
  {
    PendingFile file(target.string(), false);
    temp = file.TempPath();
    EXPECT_EQ(fs::path(temp).parent_path(), dir);
    EXPECT_TRUE(fs::exists(temp));
    std::ofstream(temp) << "complete";
    file.Commit();
  }
  EXPECT_EQ(Contents(target), "complete");
  EXPECT_FALSE(fs::exists(temp));
}

TEST_F(PendingFileTest, abandoned_file_is_removed) {
  std::string temp;
  {
    PendingFile file((dir / "out.xlsx").string(), false);
    temp = file.TempPath();
    std::ofstream(temp) << "half";
  }
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(PendingFileTest, file_appearing_during_the_save_is_not_replaced_without_leave) {
  // Another program creates the target between the check and the rename.
  const fs::path target = dir / "out.xlsx";
  {
    PendingFile file(target.string(), false);
    std::ofstream(file.TempPath()) << "ours";
    std::ofstream(target) << "theirs";
    try {
      file.Commit();
      FAIL();
    } catch (const automation::AutomationError& e) {
      EXPECT_EQ(std::string(e.what()), "Файл «" + target.string() + "» уже существует");
    }
  }
  EXPECT_EQ(Contents(target), "theirs");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(PendingFileTest, relative_path_lands_in_the_current_folder) {
  const fs::path before = fs::current_path();
  fs::current_path(dir);
  {
    PendingFile file("plain.xlsx", true);
    EXPECT_EQ(file.Folder(), ".");
    file.Commit();
  }
  fs::current_path(before);
  EXPECT_TRUE(fs::exists(dir / "plain.xlsx"));
}

}  // namespace
}  // namespace z917::workbook

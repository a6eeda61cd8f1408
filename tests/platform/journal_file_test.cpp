#include "platform/journal_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/files.h"
#include "support/temp_folder.h"

namespace z917::platform {
namespace {

namespace fs = std::filesystem;

class JournalFileTest : public ::testing::Test {
 protected:
  void SetUp() override { test::WriteFile(dir / "j.bin", "journal"); }
  std::string Journal() const { return (dir / "j.bin").string(); }

  const test::TempFolder dir{"z917_journal_file"};
};

TEST_F(JournalFileTest, OpensAFileForReadingButNotAFolder) {
  std::FILE* file = OpenJournalFile(Journal());
  ASSERT_NE(file, nullptr);
  char bytes[8] = {};
  EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, file), 7u);
  EXPECT_STREQ(bytes, "journal");
  EXPECT_EQ(std::fputc('x', file), EOF);
  std::fclose(file);
  EXPECT_EQ(OpenJournalFile(dir.Path().string()), nullptr);
  EXPECT_EQ(OpenJournalFile((dir / "missing.bin").string()), nullptr);
  EXPECT_EQ(OpenJournalFile(""), nullptr);
}

TEST_F(JournalFileTest, SameFileUnderAnyName) {
  fs::create_hard_link(dir / "j.bin", dir / "hard.xml");
  fs::create_symlink("j.bin", dir / "link.xml");
  std::ofstream(dir / "other.xml") << "journal";
  EXPECT_TRUE(SameFile(Journal(), Journal()));
  EXPECT_TRUE(SameFile(Journal(), (dir / "hard.xml").string()));
  EXPECT_TRUE(SameFile(Journal(), (dir / "link.xml").string()));
  EXPECT_TRUE(SameFile(Journal(), (dir / "." / "j.bin").string()));
  EXPECT_FALSE(SameFile(Journal(), (dir / "other.xml").string()));
  EXPECT_FALSE(SameFile(Journal(), (dir / "missing.xml").string()));
  EXPECT_FALSE(SameFile(Journal(), ""));
}

TEST_F(JournalFileTest, OutputCheckPassesFilesNewNamesAndDanglingLinks) {
  // The refusals show through the driver's own tests.
  fs::create_symlink(dir / "nowhere.xml", dir / "dangling.xml");
  for (const fs::path& path : {dir / "j.bin", dir / "new.xml", dir / "dangling.xml"}) {
    EXPECT_NO_THROW(CheckOutputPath(path.string())) << path;
  }
  EXPECT_THROW(CheckOutputPath(dir.Path().string()), FileError);
}

}  // namespace
}  // namespace z917::platform

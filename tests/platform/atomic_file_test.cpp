#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "platform/cancellation.h"
#include "support/file_size_limit.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace z917::platform {
namespace {

namespace fs = std::filesystem;
using test::ErrorOf;
using test::ReadFile;
using test::WriteFile;

class AtomicFileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    AtomicFile::ForceNamedTemporaryFiles(false);
    Cancellation::Reset();
  }

  std::string Out() const { return (dir / "out.bin").string(); }

  const test::TempFolder dir{"z917_atomic"};
};

TEST_F(AtomicFileTest, FileAppearsCompleteAtCommitAndNotBefore) {
  for (const bool named : {false, true}) {
    AtomicFile::ForceNamedTemporaryFiles(named);
    fs::remove(Out());
    AtomicFile file(Out(), false);
    file.Append(std::string_view("head"));
    file.Append(std::string_view("-body-"));
    const std::uint8_t patch[] = {'H', 'E'};
    file.WriteAt(0, patch);
    EXPECT_EQ(file.Size(), 10u);
    EXPECT_EQ(file.Target(), Out());
    // Unnamed, nothing shows; the fallback shows only a hidden name.
    const std::set<std::string> during = dir.Names();
    if (named) {
      ASSERT_EQ(during.size(), 1u);
      EXPECT_EQ(during.begin()->substr(0, 2), ".~");
    } else {
      EXPECT_TRUE(during.empty());
    }
    file.Commit();
    EXPECT_EQ(ReadFile(Out()), "HEad-body-");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"out.bin"});
  }
}

TEST_F(AtomicFileTest, LibraryWritesThroughTheOpenablePath) {
  for (const bool named : {false, true}) {
    AtomicFile::ForceNamedTemporaryFiles(named);
    AtomicFile file(Out(), true);
    std::FILE* library = std::fopen(file.OpenablePath().c_str(), "wb");
    ASSERT_NE(library, nullptr) << file.OpenablePath();
    std::fputs(named ? "named" : "unnamed", library);
    std::fclose(library);
    file.Commit();
    EXPECT_EQ(ReadFile(Out()), named ? "named" : "unnamed");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"out.bin"});
  }
}

TEST_F(AtomicFileTest, DiscardedFileLeavesNothingAndTheOldFileUntouched) {
  WriteFile(Out(), "old");
  for (const bool named : {false, true}) {
    AtomicFile::ForceNamedTemporaryFiles(named);
    AtomicFile file(Out(), true);
    file.Append(std::string_view("half a workbook"));
  }
  EXPECT_EQ(dir.Names(), std::set<std::string>{"out.bin"});
  EXPECT_EQ(ReadFile(Out()), "old");
}

TEST_F(AtomicFileTest, ReplacedFileKeepsItsModeAndOwnerNewFileFollowsUmask) {
  WriteFile(Out(), "old");
  ASSERT_EQ(::chmod(Out().c_str(), 0640), 0);
  const bool root = ::geteuid() == 0;
  // Only a privileged process can give a file away, and keep it so.
  if (root) {
    ASSERT_EQ(::chown(Out().c_str(), 4321, 4322), 0);
  }
  const mode_t previous = ::umask(022);
  for (const bool named : {false, true}) {
    AtomicFile::ForceNamedTemporaryFiles(named);
    AtomicFile file(Out(), true);
    file.Append(std::string_view("new"));
    file.Commit();
    AtomicFile fresh((dir / (named ? "named.bin" : "fresh.bin")).string(), false);
    fresh.Commit();
  }
  ::umask(previous);
  struct stat info;
  ASSERT_EQ(::stat(Out().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
  }
  EXPECT_EQ(ReadFile(Out()), "new");
  for (const char* name : {"fresh.bin", "named.bin"}) {
    ASSERT_EQ(::stat((dir / name).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u) << name;
  }
}

TEST_F(AtomicFileTest, SymbolicLinkIsWrittenThroughAndStaysALink) {
  fs::create_directory(dir / "real");
  WriteFile(dir / "real" / "book.xls", "old");
  // A relative link, through a second one.
  fs::create_symlink("real/book.xls", dir / "link.xls");
  fs::create_symlink("link.xls", dir / "link2.xls");
  AtomicFile file((dir / "link2.xls").string(), true);
  EXPECT_EQ(file.Target(), (dir / "real" / "book.xls").string());
  file.Append(std::string_view("new"));
  file.Commit();
  EXPECT_TRUE(fs::is_symlink(dir / "link.xls"));
  EXPECT_TRUE(fs::is_symlink(dir / "link2.xls"));
  EXPECT_EQ(ReadFile(dir / "real" / "book.xls"), "new");
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"link.xls", "link2.xls", "real"}));
}

TEST_F(AtomicFileTest, DanglingLinkGetsItsTargetCreated) {
  fs::create_symlink(dir / "made.xml", dir / "link.xml");
  AtomicFile file((dir / "link.xml").string(), false);
  file.Append(std::string_view("made"));
  file.Commit();
  EXPECT_TRUE(fs::is_symlink(dir / "link.xml"));
  EXPECT_EQ(ReadFile(dir / "link.xml"), "made");
}

TEST_F(AtomicFileTest, CircularLinksAreRefused) {
  fs::create_symlink(dir / "b", dir / "a");
  fs::create_symlink(dir / "a", dir / "b");
  EXPECT_EQ(ErrorOf<FileError>([&] { AtomicFile((dir / "a").string(), true); }),
            "Не удалось открыть «" + (dir / "a").string() +
                "»: слишком много символических ссылок в пути");
}

TEST_F(AtomicFileTest, SpecialFilesAndFoldersAreRefusedUntouched) {
  const fs::path fifo = dir / "fifo.xml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(dir / "folder.xml");
  fs::create_symlink("/dev/null", dir / "null.xml");
  EXPECT_EQ(ErrorOf<FileError>([&] { AtomicFile(fifo.string(), true); }),
            "«" + fifo.string() + "» — это именованный канал, а не файл");
  EXPECT_EQ(ErrorOf<FileError>([&] { AtomicFile((dir / "folder.xml").string(), true); }),
            "«" + (dir / "folder.xml").string() + "» — это папка, а не файл");
  EXPECT_EQ(ErrorOf<FileError>([&] { AtomicFile((dir / "null.xml").string(), true); }),
            "«" + (dir / "null.xml").string() + "» — это устройство, а не файл");
  EXPECT_EQ(ErrorOf<FileError>([&] { AtomicFile("/dev/null", true); }),
            "«/dev/null» — это устройство, а не файл");
  if (::geteuid() == 0) {
    const fs::path device = dir / "device.xml";
    ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)), 0);
    EXPECT_EQ(ErrorOf<FileError>([&] { AtomicFile(device.string(), true); }),
              "«" + device.string() + "» — это устройство, а не файл");
    EXPECT_TRUE(fs::is_character_file(device));
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_empty(dir / "folder.xml"));
  EXPECT_TRUE(fs::is_symlink(dir / "null.xml"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(AtomicFileTest, ExistingFileIsReplacedOnlyWithLeave) {
  WriteFile(Out(), "theirs");
  EXPECT_EQ(ErrorOf<FileError>([&] { AtomicFile(Out(), false); }),
            "Файл «" + Out() + "» уже существует");
  // A file that appears while ours is written is not replaced either.
  for (const bool named : {false, true}) {
    AtomicFile::ForceNamedTemporaryFiles(named);
    fs::remove(Out());
    AtomicFile file(Out(), false);
    file.Append(std::string_view("ours"));
    WriteFile(Out(), "theirs");
    EXPECT_EQ(ErrorOf<FileError>([&] { file.Commit(); }), "Файл «" + Out() + "» уже существует");
  }
  EXPECT_EQ(ReadFile(Out()), "theirs");
  EXPECT_EQ(dir.Names(), std::set<std::string>{"out.bin"});
}

TEST_F(AtomicFileTest, UnusablePathsNameTheirReason) {
  EXPECT_EQ(ErrorOf<FileError>([&] { AtomicFile("", true); }), "Имя файла не задано");
  EXPECT_EQ(ErrorOf<FileError>([&] { AtomicFile((dir / "missing" / "a.xls").string(), true); }),
            "Папка «" + (dir / "missing").string() + "» не существует");
  if (::geteuid() != 0) {
    fs::create_directory(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ErrorOf<FileError>([&] { AtomicFile((dir / "locked" / "a.xls").string(), true); }),
              "Не удалось создать файл в папке «" + (dir / "locked").string() + "»: нет доступа");
    fs::permissions(dir / "locked", fs::perms::owner_all);
  }
}

TEST_F(AtomicFileTest, RelativePathLandsInTheCurrentFolder) {
  const fs::path before = fs::current_path();
  fs::current_path(dir.Path());
  {
    AtomicFile file("plain.xlsx", true);
    file.Commit();
  }
  fs::current_path(before);
  EXPECT_EQ(dir.Names(), std::set<std::string>{"plain.xlsx"});
}

TEST_F(AtomicFileTest, FailedWriteNamesTheSystemReasonAndLeavesNothing) {
  WriteFile(Out(), "old");
  for (const bool named : {false, true}) {
    AtomicFile::ForceNamedTemporaryFiles(named);
    AtomicFile file(Out(), true);
    const std::string big(8192, 'x');
    const test::FileSizeLimit limit(4096);
    EXPECT_EQ(ErrorOf<FileError>([&] { file.Append(big); }),
              "Не удалось записать файл «" + Out() + "»: файл слишком велик");
  }
  EXPECT_EQ(ReadFile(Out()), "old");
  EXPECT_EQ(dir.Names(), std::set<std::string>{"out.bin"});
}

TEST_F(AtomicFileTest, StopAskedForRefusesWritesAndCommit) {
  WriteFile(Out(), "old");
  for (const bool named : {false, true}) {
    AtomicFile::ForceNamedTemporaryFiles(named);
    AtomicFile file(Out(), true);
    file.Append(std::string_view("new"));
    Cancellation::Request();
    EXPECT_THROW(file.Append(std::string_view("more")), FileCancelled);
    EXPECT_THROW(file.Commit(), FileCancelled);
    Cancellation::Reset();
  }
  EXPECT_EQ(ReadFile(Out()), "old");
  EXPECT_EQ(dir.Names(), std::set<std::string>{"out.bin"});
}

}  // namespace
}  // namespace z917::platform

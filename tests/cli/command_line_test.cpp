#include "cli/command_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "journal/journal_encoder.h"
#include "platform/save_progress.h"
#include "support/files.h"
#include "support/journal_files.h"
#include "support/temp_folder.h"

namespace z917::cli {
namespace {

namespace fs = std::filesystem;

using Action = CommandLine::Action;
using test::ReadFile;

TEST(CommandLine, ParsesFilesAndOptions) {
  const CommandLine convert = ParseCommandLine({"j.bin", "out.xml"});
  EXPECT_EQ(convert.action, Action::Convert);
  EXPECT_EQ(convert.journal, "j.bin");
  EXPECT_EQ(convert.output, "out.xml");
  EXPECT_EQ(ParseCommandLine({"j.bin", "--help"}).action, Action::Help);
  EXPECT_EQ(ParseCommandLine({"--version"}).action, Action::Version);
  const CommandLine dashed = ParseCommandLine({"--", "-j.bin", "--help"});
  EXPECT_EQ(dashed.action, Action::Convert);
  EXPECT_EQ(dashed.journal, "-j.bin");

  EXPECT_EQ(ParseCommandLine({}).problem, "");
  EXPECT_EQ(ParseCommandLine({"-x", "a", "b"}).problem, "unknown option '-x'");
  EXPECT_EQ(ParseCommandLine({"", "b"}).problem, "empty file name");
  for (const auto& args : std::vector<std::vector<std::string_view>>{{}, {"-x", "a", "b"}}) {
    EXPECT_EQ(ParseCommandLine(args).action, Action::Usage);
  }
}

TEST(CommandLine, ManyJournalsFormWhenAnOptionOrOtherThanTwoFiles) {
  const struct {
    std::vector<std::string_view> args;
    std::vector<std::string> outputs;  // none: wrong use
    std::string problem;
    unsigned jobs = 0;
  } cases[] = {
      {{"d.1/j.bin"}, {"d.1/j.xlsx"}, ""},
      {{"a", "b.x.bin", "c"}, {"a.xlsx", "b.x.xlsx", "c.xlsx"}, ""},
      {{"--format", "xls", "j.bin", "out.xml"}, {"j.xls", "out.xls"}, ""},
      {{"--format=xml", "--jobs", "3", "a/j.BIN"}, {"a/j.xml"}, "", 3},
      {{"--output-dir", "o", "a/j.bin", "k"}, {"o/j.xlsx", "o/k.xlsx"}, ""},
      {{"--output-dir=o/", "--jobs=1", "a/j.bin"}, {"o/j.xlsx"}, "", 1},
      {{"--jobs", "0", "j"}, {}, "--jobs takes a number from 1 to 256"},
      {{"--jobs", "2x", "j"}, {}, "--jobs takes a number from 1 to 256"},
      {{"--format", "pdf", "j"}, {}, "unknown format 'pdf'"},
      {{"j", "--jobs"}, {}, "option '--jobs' needs a value"},
      {{"--output-dir=", "j"}, {}, "empty folder name"},
      {{"--output-dir", "o", "a/j.bin", "b/j.xml"},
       {},
       "two journals would both be converted to 'o/j.xlsx'"},
  };
  for (const auto& c : cases) {
    const CommandLine line = ParseCommandLine(c.args);
    SCOPED_TRACE(c.args.front());
    EXPECT_EQ(line.action, c.outputs.empty() ? Action::Usage : Action::ConvertMany);
    EXPECT_EQ(line.outputs, c.outputs);
    EXPECT_EQ(line.problem, c.problem);
    EXPECT_EQ(line.jobs, c.jobs);
    if (!c.outputs.empty()) {
      EXPECT_EQ(line.journals,
                std::vector<std::string>(c.args.end() - c.outputs.size(), c.args.end()));
    }
  }
}

TEST(CommandLine, ProgressTextGivesShareAndRateOrEntriesWhenTheSizeIsUnknown) {
  using Stage = driver::ConversionProgress::Stage;
  EXPECT_EQ(ProgressText({Stage::Reading, 0, 2000, 0}, 0), "z917conv:   0 % журнала, 0 записей/с");
  EXPECT_EQ(ProgressText({Stage::Reading, 1000, 3000, 77500}, 0.25),
            "z917conv:  33 % журнала, 310 000 записей/с");
  // A journal that grew while it was read never shows more than the whole.
  EXPECT_EQ(ProgressText({Stage::Reading, 4000, 3000, 10}, 1),
            "z917conv: 100 % журнала, 10 записей/с");
  EXPECT_EQ(ProgressText({Stage::Reading, 4000, 0, 1234567}, 2),
            "z917conv: прочитано записей: 1 234 567, 617 284 записей/с");
  EXPECT_EQ(ProgressText({Stage::Saving, 3000, 3000, 785318}, 2),
            "z917conv: сохранение, записей: 785 318");
  // Rounded down, as the window's bar is.
  EXPECT_EQ(ProgressText({Stage::Saving, 3000, 3000, 77, 0.999}, 2),
            "z917conv: сохранение, записей: 77, 99 %");
}

TEST(CommandLine, ProgressLineRedrawsTheSaveWithItsShareUntilWiped) {
  std::FILE* terminal = std::tmpfile();
  ASSERT_NE(terminal, nullptr);
  const auto shown = [terminal] {
    std::string text(1 << 16, '\0');
    text.resize(static_cast<std::size_t>(pread(fileno(terminal), text.data(), text.size(), 0)));
    return text;
  };
  StreamMessageSink printed(terminal, terminal);
  ProgressLine line(printed, terminal, true);
  line.Show({driver::ConversionProgress::Stage::Saving, 8, 8, 5});
  platform::SaveProgress::Report(1, 2);
  // The driver stays inside the save meanwhile: only the line's own thread draws.
  for (int waits = 0; waits < 3000 && shown().find(", 50 %") == std::string::npos; ++waits) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  line.ShowMessage(MessageKind::Information, "Конвертация прошла успешно");
  const std::string text = shown();
  EXPECT_NE(text.find("\rz917conv: сохранение, записей: 5, 50 %\x1b[K"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("\r\x1b[KКонвертация прошла успешно\n")) << text;
  std::fclose(terminal);
}

TEST(CommandLine, ProgressLineWipesWithSpacesWhereTheTerminalTakesNoErasing) {
  std::FILE* terminal = std::tmpfile();
  ASSERT_NE(terminal, nullptr);
  StreamMessageSink printed(terminal, terminal);
  ProgressLine line(printed, terminal, true, false);
  line.Show({driver::ConversionProgress::Stage::Saving, 8, 8, 12345});
  line.Show({driver::ConversionProgress::Stage::Saving, 8, 8, 5});
  line.ShowMessage(MessageKind::Error, "Ошибка");
  std::string text(4096, '\0');
  text.resize(static_cast<std::size_t>(pread(fileno(terminal), text.data(), text.size(), 0)));
  // Characters, not bytes: 37 and 32 of them.
  const std::string shorter = "z917conv: сохранение, записей: 5";
  EXPECT_EQ(text, "\rz917conv: сохранение, записей: 12 345\r" + shorter + std::string(5, ' ') +
                      "\r" + shorter + "\r" + std::string(32, ' ') + "\rОшибка\n");
  std::fclose(terminal);
}

TEST(CommandLine, XmlOnlyForAnXmlEndingInAnyCase) {
  for (const char* path : {"a.xml", "A.XML", "dir.d/b.Xml", ".xml"}) {
    EXPECT_EQ(OutputKindFor(path), OutputKind::Xml) << path;
  }
  for (const char* path : {"a.xlsx", "a.xls", "a.xml.bak", "xml", "a_xml", "a.xm"}) {
    EXPECT_EQ(OutputKindFor(path), OutputKind::Excel) << path;
  }
}

TEST(StreamMessageSink, LostMessageTurnsSuccessIntoFailure) {
  std::FILE* full = std::fopen("/dev/full", "w");
  std::FILE* file = std::tmpfile();
  ASSERT_NE(full, nullptr);
  ASSERT_NE(file, nullptr);

  StreamMessageSink written(file, full);
  written.ShowMessage(MessageKind::Information, "Конвертация прошла успешно");
  EXPECT_FALSE(written.LostMessage());
  EXPECT_EQ(ExitStatusOnceShown(kExitConverted, written, file), kExitConverted);

  StreamMessageSink lost(full, file);
  lost.ShowMessage(MessageKind::Information, "Конвертация прошла успешно");
  EXPECT_TRUE(lost.LostMessage());
  EXPECT_EQ(ExitStatusOnceShown(kExitConverted, lost, file), kExitFailed);
  // A failure or wrong usage keeps its own status.
  EXPECT_EQ(ExitStatusOnceShown(kExitUsage, lost, file), kExitUsage);

  // Text left in the buffer (help, version) counts once the flush fails.
  StreamMessageSink quiet(file, file);
  std::fputs(UsageText().c_str(), full);
  EXPECT_EQ(ExitStatusOnceShown(kExitConverted, quiet, full), kExitFailed);
  std::fclose(full);
  std::fclose(file);
}

// Runs the built program with its two streams in files.
struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class Z917Conv : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("Z917_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    program = fs::path(bin) / "z917conv";
  }

  Outcome Start(const std::string& args, const char* locale = "C.UTF-8") {
    const fs::path out = dir / "stdout", err = dir / "stderr";
    const std::string command = "LC_ALL=" + std::string(locale) + " '" + program.string() + "' " +
                                args + " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
  }
  std::string Journal(const std::string& bytes) {
    return test::WriteFile(dir / "journal.bin", bytes);
  }
  std::string CashInJournal() {
    return Journal(journal::EncodePacket(journal::PacketType::CashIn,
                                         {1, 2, 3, journal::PackDateTime(2010, 3, 25, 14, 5, 9), 7},
                                         journal::EncodeCashMovementBody(123456, 100, "K&K")));
  }

  fs::path program;
  const test::TempFolder dir{"z917conv"};
};

TEST_F(Z917Conv, HelpVersionAndWrongUsage) {
  const Outcome help = Start("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, UsageText());
  EXPECT_EQ(help.err, "");
  const Outcome version = Start("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("z917conv ", 0), 0u);
  const Outcome none = Start("");
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, UsageText());
  const Outcome wrongJobs = Start("--jobs 0 a");
  EXPECT_EQ(wrongJobs.status, 2);
  EXPECT_EQ(wrongJobs.err, "z917conv: --jobs takes a number from 1 to 256\n" + UsageText());
}

TEST_F(Z917Conv, ConvertsToXmlUnderTheEnvironmentsRegionalSettings) {
  const std::string journal = CashInJournal();
  const Outcome run =
      Start("'" + journal + "' '" + (dir / "OUT.XML").string() + "'", "uk_UA.UTF-8");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Конвертация прошла успешно\n");
  EXPECT_EQ(run.err, "");
  const std::string xml = ReadFile(dir / "OUT.XML");
  EXPECT_NE(xml.find("<DateTime>25.03.10 14:05:09</DateTime><PacketNum>7</PacketNum>"
                     "<InOut>Внесення</InOut><Sum>1234,56</Sum><Avail>1,00</Avail>"
                     "<CashierName>K&amp;K</CashierName>"),
            std::string::npos)
      << xml;
}

TEST_F(Z917Conv, CountedSuccessKeepsItsLineBreak) {
  // A whole packet, then a header whose body is cut short.
  std::string bytes = journal::EncodePacket(journal::PacketType::CashIn, {1, 1, 1, 0, 1},
                                            journal::EncodeCashMovementBody(1, 1, "K"));
  bytes += bytes.substr(0, 20);
  const Outcome run = Start("'" + Journal(bytes) + "' '" + (dir / "o.xml").string() + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Конвертация прошла успешно\n Ошибок: 1\n");
}

TEST_F(Z917Conv, FailuresGoToStandardErrorInOrder) {
  const Outcome missing =
      Start("'" + (dir / "none.bin").string() + "' '" + (dir / "o.xml").string() + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "Ошибка открытия файла БД\n");

  const std::string journal = CashInJournal();
  const Outcome unwritable = Start("'" + journal + "' '" + (dir / "no" / "o.xml").string() + "'");
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_EQ(unwritable.err, "Ошибка записи XML файла: Папка «" + (dir / "no").string() +
                                "» не существует\nОшибка записи файла XML\n");
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"journal.bin", "stderr", "stdout"}));
}

TEST_F(Z917Conv, OutcomeLostOnAFullDiskIsAFailure) {
  const std::string files = "'" + CashInJournal() + "' '" + (dir / "o.xml").string() + "'";
  const std::string command = "LC_ALL=C.UTF-8 '" + program.string() + "' ";
  const auto status = [](const std::string& line) {
    const int raw = std::system(line.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(status(command + files + " >/dev/full 2>/dev/null"), 1);
  EXPECT_TRUE(fs::exists(dir / "o.xml"));  // the conversion itself went through
  EXPECT_EQ(status(command + "--help >/dev/full"), 1);
  // A failure stays a failure when its message is lost too.
  EXPECT_EQ(status(command + "'" + (dir / "none.bin").string() + "' x.xml 2>/dev/full"), 1);
  EXPECT_EQ(status(command + files + " >/dev/null"), 0);
}

TEST_F(Z917Conv, OtherEndingsMakeAWorkbook) {
  const Outcome run = Start("'" + CashInJournal() + "' '" + (dir / "o.xlsx").string() + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Конвертация прошла успешно\n");
  EXPECT_EQ(ReadFile(dir / "o.xlsx").substr(0, 2), "PK");
  // A capital extension names the same format as a small one.
  const std::string compoundFile = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
  for (const char* name : {"O.XLS", "o.Xls"}) {
    EXPECT_EQ(Start("'" + CashInJournal() + "' '" + (dir / name).string() + "'").status, 0);
    EXPECT_EQ(ReadFile(dir / name).substr(0, 8), compoundFile) << name;
  }
  EXPECT_EQ(Start("'" + CashInJournal() + "' '" + (dir / "O.XLSX").string() + "'").status, 0);
  EXPECT_EQ(ReadFile(dir / "O.XLSX").substr(0, 2), "PK");
}

// The size of the largest file that process `pid` holds open in `folder`
// under no name of the folder's: the output or a scratch file being saved.
std::uintmax_t UnseenBytes(pid_t pid, const fs::path& folder) {
  std::uintmax_t largest = 0;
  std::error_code ec;
  const std::string inFolder = folder.string() + "/";
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
    const std::string target = fs::read_symlink(fd.path(), ec).string();
    if (ec || target.rfind(inFolder, 0) != 0 || target.find(" (deleted)") == std::string::npos) {
      continue;
    }
    struct stat info;
    if (::stat(fd.path().c_str(), &info) == 0) {
      largest = std::max<std::uintmax_t>(largest, static_cast<std::uintmax_t>(info.st_size));
    }
  }
  return largest;
}

TEST_F(Z917Conv, KilledDuringASaveLeavesNothingAndTheOldOutputUntouched) {
  const fs::path journal = dir / "journal.bin";
  const std::string generate = "'" + (program.parent_path() / "z917gen").string() +
                               "' --packets 45000 '" + journal.string() + "'";
  ASSERT_EQ(std::system(generate.c_str()), 0);
  const std::pair<const char*, int> runs[] = {
      {"out.xls", SIGKILL}, {"out.xlsx", SIGKILL}, {"out.xlsx", SIGTERM}, {"out.xml", SIGINT}};
  for (const auto& [name, signal] : runs) {
    const fs::path output = dir / name;
    test::WriteFile(output, "old");
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::freopen("/dev/null", "w", stdout);
      ::freopen("/dev/null", "w", stderr);
      ::execl(program.c_str(), "z917conv", journal.c_str(), output.c_str(), nullptr);
      ::_exit(127);
    }
    // Strike once the save has written a good part of its file.
    int status = 0;
    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!(ended = ::waitpid(pid, &status, WNOHANG) == pid) &&
           UnseenBytes(pid, dir.Path()) < (1u << 20) &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    ASSERT_FALSE(ended) << name << ": the conversion ended before it could be stopped";
    ::kill(pid, signal);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    // SIGKILL ends the program where it stands; the others stop the save,
    // which then reports the cancelled conversion with the signal's status.
    if (signal == SIGKILL) {
      EXPECT_TRUE(WIFSIGNALED(status)) << name;
    } else {
      ASSERT_TRUE(WIFEXITED(status)) << name;
      EXPECT_EQ(WEXITSTATUS(status), 128 + signal) << name;
    }
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"journal.bin", name})) << name << " " << signal;
    EXPECT_EQ(ReadFile(output), "old") << name;
    fs::remove(output);
  }
}

TEST_F(Z917Conv, SilentButForTheMessagesWhenStandardErrorIsNotATerminal) {
  const std::string journal = test::WriteSyntheticJournal(dir / "big.bin", {20000, 3});
  const Outcome run = Start("'" + journal + "' '" + (dir / "o.xml").string() + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Конвертация прошла успешно\n");
  EXPECT_EQ(run.err, "");
}

// The lines of `text`, sorted: journals converting side by side end in any order.
std::multiset<std::string> Lines(const std::string& text) {
  std::multiset<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.insert(line);
  return lines;
}

TEST_F(Z917Conv, ManyJournalsEachBesideItsOwnInTheFormatAsked) {
  fs::create_directories(dir / "a.1");
  const std::string first = test::WriteSyntheticJournal(dir / "a.1" / "one.bin", {300, 1});
  const std::string second = test::WriteSyntheticJournal(dir / "two.bin", {300, 2});
  const struct {
    const char* option;
    const char* extension;
    std::string magic;
  } formats[] = {{"", ".xlsx", "PK"},
                 {"--format xls", ".xls", "\xD0\xCF\x11\xE0"},
                 {"--format=xml", ".xml", "<?xml"}};
  for (const auto& [option, extension, magic] : formats) {
    SCOPED_TRACE(extension);
    const Outcome run = Start(std::string(option) + " '" + first + "' '" + second + "' --jobs 2");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Lines(run.out), (std::multiset<std::string>{first + ": Конвертация прошла успешно",
                                                          second + ": Конвертация прошла успешно",
                                                          "Сконвертировано журналов: 2 из 2"}));
    EXPECT_TRUE(run.out.ends_with("\nСконвертировано журналов: 2 из 2\n")) << run.out;
    EXPECT_EQ(run.err, "");
    for (const fs::path& output :
         {dir / "a.1" / ("one" + std::string(extension)), dir / ("two" + std::string(extension))}) {
      EXPECT_EQ(ReadFile(output).substr(0, magic.size()), magic) << output;
    }
  }
}

TEST_F(Z917Conv, AFailingJournalFailsTheRunAndTheOthersConvertAll) {
  const std::string good = test::WriteSyntheticJournal(dir / "good.bin", {300, 1});
  const std::string bad =
      test::WriteFile(dir / "bad.bin", journal::EncodePacket(std::uint8_t{11}, {}, "x"));
  const std::string missing = (dir / "missing.bin").string();
  const std::string last = test::WriteSyntheticJournal(dir / "last.bin", {300, 2});
  fs::create_directories(dir / "out");
  const Outcome run = Start("--jobs 3 --format xml --output-dir '" + (dir / "out").string() +
                            "' '" + good + "' '" + bad + "' '" + missing + "' '" + last + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Lines(run.err), (std::multiset<std::string>{bad + ": Ошибка преобразования данных",
                                                        missing + ": Ошибка открытия файла БД"}));
  EXPECT_EQ(Lines(run.out), (std::multiset<std::string>{good + ": Конвертация прошла успешно",
                                                        last + ": Конвертация прошла успешно",
                                                        "Сконвертировано журналов: 2 из 4"}));
  EXPECT_EQ(dir.Names("out"), (std::set<std::string>{"good.xml", "last.xml"}));

  // A folder that is not there is told once, before any journal.
  const std::string nowhere = (dir / "nowhere").string();
  const Outcome lost = Start("--output-dir '" + nowhere + "' '" + good + "' '" + last + "'");
  EXPECT_EQ(lost.status, 1);
  EXPECT_EQ(lost.err, "Папки «" + nowhere + "» нет: создайте её или укажите другую\n");
  EXPECT_EQ(lost.out, "");
}

TEST_F(Z917Conv, InterruptStopsEveryJobAndStartsNoMore) {
  std::vector<std::string> args = {"z917conv", "--jobs", "2", "--format", "xml"};
  for (const char* name : {"a.bin", "b.bin", "c.bin"}) {
    args.push_back(test::WriteSyntheticJournal(dir / name, {150000, 3}));
  }
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::freopen((dir / "stdout").c_str(), "w", stdout);
    ::freopen((dir / "stderr").c_str(), "w", stderr);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  // Strike once a document is being written.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (UnseenBytes(pid, dir.Path()) < (64u << 10) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  ::kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kExitInterrupted);
  EXPECT_EQ(ReadFile(dir / "stdout"), "Сконвертировано журналов: 0 из 3\n");
  // Those running are stopped (the second may not have begun), the third never begins.
  const std::multiset<std::string> stopped = Lines(ReadFile(dir / "stderr"));
  EXPECT_FALSE(stopped.empty());
  for (const std::string& line : stopped) {
    EXPECT_TRUE(line == args[5] + ": Конвертация отменена" ||
                line == args[6] + ": Конвертация отменена")
        << line;
  }
  EXPECT_EQ(dir.Names(), (std::set<std::string>{"a.bin", "b.bin", "c.bin", "stderr", "stdout"}));
}

// z917conv with standard error on a pseudo-terminal, as in a terminal
// window, and standard output in a file.
class OnTerminal : public Z917Conv {
 protected:
  void TearDown() override {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (master >= 0) close(master);
    Z917Conv::TearDown();
  }

  void MakeJournal(std::uint64_t packets, const std::string& tail = "") {
    fs::create_directories(dir / "work");
    test::WriteSyntheticJournal(dir / "work" / "journal.bin", {packets, 5}, tail);
  }

  void Launch(const std::string& output) {
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    fs::create_directories(dir / "tmp");
    const std::string journal = (dir / "work" / "journal.bin").string();
    const std::string target = (dir / "work" / output).string();
    const std::string out = (dir / "stdout").string();
    const std::string tmp = (dir / "tmp").string();
    pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      dup2(slave, STDERR_FILENO);
      const int file = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(file, STDOUT_FILENO);
      close(master);
      setenv("TMPDIR", tmp.c_str(), 1);
      setenv("LC_ALL", "C.UTF-8", 1);
      execl(program.c_str(), "z917conv", journal.c_str(), target.c_str(), nullptr);
      _exit(127);
    }
    close(slave);
  }

  // Reads the terminal until `wanted` shows up (or, when empty, to the end).
  bool ReadTerminal(const std::string& wanted = "") {
    char buffer[4096];
    for (;;) {
      if (!wanted.empty() && terminal.find(wanted) != std::string::npos) return true;
      pollfd ready{master, POLLIN, 0};
      if (poll(&ready, 1, 30000) <= 0) return false;
      const ssize_t got = read(master, buffer, sizeof buffer);
      // EIO once the last writer closed the terminal.
      if (got <= 0) return wanted.empty();
      terminal.append(buffer, static_cast<std::size_t>(got));
    }
  }

  int Wait() {
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }

  int master = -1;
  pid_t pid = -1;
  std::string terminal;
};

TEST_F(OnTerminal, ProgressLineIsRewrittenInPlaceAndWipedBeforeTheMessage) {
  MakeJournal(3000, journal::EncodePacket(std::uint8_t{11}, {}, "x"));
  Launch("o.xml");
  ASSERT_TRUE(ReadTerminal());
  EXPECT_EQ(Wait(), kExitFailed);
  EXPECT_EQ(terminal.rfind("\rz917conv:   0 % журнала, 0 записей/с\x1b[K", 0), 0u) << terminal;
  EXPECT_EQ(terminal.find('\n'), terminal.size() - 1) << "one line only: " << terminal;
  const std::string wiped = "\r\x1b[K";
  const std::size_t end = terminal.rfind(wiped);
  ASSERT_NE(end, std::string::npos);
  EXPECT_EQ(terminal.substr(end + wiped.size()), "Ошибка преобразования данных\r\n");
  EXPECT_EQ(ReadFile(dir / "stdout"), "");

  terminal.clear();
  MakeJournal(3000);
  Launch("o.xml");
  ASSERT_TRUE(ReadTerminal());
  EXPECT_EQ(Wait(), kExitConverted);
  EXPECT_NE(terminal.find("\rz917conv: сохранение, "), std::string::npos) << terminal;
  EXPECT_EQ(terminal.substr(terminal.size() - wiped.size()), wiped);
  EXPECT_EQ(ReadFile(dir / "stdout"), "Конвертация прошла успешно\n");
}

TEST_F(OnTerminal, InterruptsStopCleanlyWithTheirStatusLeavingNothingBehind) {
  MakeJournal(150000);
  const std::pair<int, int> cases[] = {
      {SIGINT, kExitInterrupted}, {SIGTERM, kExitTerminated}, {SIGHUP, kExitHungUp}};
  for (const auto& [signal, status] : cases) {
    for (const char* output : {"out.xml", "out.xlsx"}) {
      SCOPED_TRACE(std::string(output) + " signal " + std::to_string(signal));
      // Every second run finds an older output in place, which must stay.
      const bool existing = signal != SIGTERM;
      if (existing) test::WriteFile(dir / "work" / output, "old");
      terminal.clear();
      Launch(output);
      ASSERT_TRUE(ReadTerminal("% журнала"));
      kill(pid, signal);
      ASSERT_TRUE(ReadTerminal());
      close(master);
      master = -1;
      EXPECT_EQ(Wait(), status);
      EXPECT_NE(terminal.find("\r\x1b[KКонвертация отменена\r\n"), std::string::npos) << terminal;
      std::set<std::string> left = {"journal.bin"};
      if (existing) left.insert(output);
      EXPECT_EQ(dir.Names("work"), left);
      if (existing) {
        EXPECT_EQ(ReadFile(dir / "work" / output), "old");
      }
      EXPECT_TRUE(dir.Names("tmp").empty());
      fs::remove(dir / "work" / output);
    }
  }
}

}  // namespace
}  // namespace z917::cli

#include "cli/command_line.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <system_error>

#include "cli/batch.h"
#include "common/ascii.h"
#include "common/file_name.h"
#include "driver/conversion_driver.h"
#include "platform/cancellation.h"
#include "platform/console.h"
#include "platform/interrupt.h"
#include "platform/path_checks.h"
#include "platform/save_progress.h"

#ifndef Z917_VERSION
#define Z917_VERSION "0.0.0"
#endif

namespace z917::cli {

namespace {

// Often enough to see the save move, rarely enough for a slow terminal.
constexpr std::chrono::milliseconds kSaveRedrawInterval{100};

// `number` with its thousands set apart by spaces, as Russian writes them.
std::string Grouped(std::uint64_t number) {
  std::string digits = std::to_string(number);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, " ");
  return digits;
}

std::string RateText(std::uint64_t entries, double seconds) {
  const double rate = seconds > 0 ? static_cast<double>(entries) / seconds : 0;
  return Grouped(static_cast<std::uint64_t>(rate + 0.5)) + " записей/с";
}

std::string SavingText(const driver::ConversionProgress& progress) {
  std::string text = "z917conv: сохранение, записей: " + Grouped(progress.entries);
  if (!progress.saveShare) return text;
  // Rounded down, as the window's bar is: 100 % only once all is saved.
  const int percent = static_cast<int>(100 * std::clamp(*progress.saveShare, 0.0, 1.0));
  return text + ", " + std::to_string(percent) + " %";
}

// How many characters UTF-8 `text` shows: its bytes that begin one.
std::size_t Width(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// More at once only adds threads waiting for the same disk.
constexpr unsigned kMostJobs = 256;

CommandLine Only(CommandLine::Action action) {
  CommandLine line;
  line.action = action;
  return line;
}

CommandLine Wrong(std::string problem) {
  CommandLine line;
  line.problem = std::move(problem);
  return line;
}

// The many-journal form's settings as its options give them.
struct BatchOptions {
  std::string extension = ".xlsx";
  std::string outputDir;
  unsigned jobs = 0;
};

bool TakesValue(std::string_view name) {
  return name == "--format" || name == "--output-dir" || name == "--jobs";
}

// Sets option `name` to `value`; the problem with the value, or "".
std::string SetOption(BatchOptions& options, std::string_view name, std::string_view value) {
  if (name == "--format") {
    if (value != "xlsx" && value != "xls" && value != "xml") {
      return "unknown format '" + std::string(value) + "'";
    }
    options.extension = "." + std::string(value);
  } else if (name == "--output-dir") {
    if (value.empty()) return "empty folder name";
    options.outputDir = value;
  } else {
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, options.jobs);
    if (error != std::errc() || stop != end || options.jobs == 0 || options.jobs > kMostJobs) {
      return "--jobs takes a number from 1 to " + std::to_string(kMostJobs);
    }
  }
  return "";
}

CommandLine ManyJournals(const std::vector<std::string_view>& files, const BatchOptions& options) {
  CommandLine line = Only(CommandLine::Action::ConvertMany);
  line.jobs = options.jobs;
  line.outputDir = options.outputDir;
  std::set<std::string> outputs;
  for (const std::string_view journal : files) {
    line.journals.emplace_back(journal);
    line.outputs.push_back(BatchOutputPath(journal, options.outputDir, options.extension));
    // Two conversions racing for one output would leave either at random.
    if (!outputs.insert(line.outputs.back()).second) {
      return Wrong("two journals would both be converted to '" + line.outputs.back() + "'");
    }
  }
  return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string_view>& args) {
  std::vector<std::string_view> files;
  BatchOptions options;
  bool optionsEnded = false;
  bool batchOption = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const std::string_view name = arg.substr(0, arg.find('='));
    if (optionsEnded || arg.size() <= 1 || arg.front() != '-') {
      files.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--help" || arg == "-h") {
      return Only(CommandLine::Action::Help);
    } else if (arg == "--version") {
      return Only(CommandLine::Action::Version);
    } else if (TakesValue(name)) {
      const bool joined = name.size() < arg.size();
      if (!joined && i + 1 == args.size()) {
        return Wrong("option '" + std::string(arg) + "' needs a value");
      }
      const std::string_view value = joined ? arg.substr(name.size() + 1) : args[++i];
      const std::string problem = SetOption(options, name, value);
      if (!problem.empty()) return Wrong(problem);
      batchOption = true;
    } else {
      return Wrong("unknown option '" + std::string(arg) + "'");
    }
  }
  if (files.empty()) return Wrong("");
  if (std::find(files.begin(), files.end(), "") != files.end()) return Wrong("empty file name");
  if (batchOption || files.size() != 2) return ManyJournals(files, options);
  CommandLine line = Only(CommandLine::Action::Convert);
  line.journal = files[0];
  line.output = files[1];
  return line;
}

std::string BatchOutputPath(std::string_view journal, std::string_view outputDir,
                            std::string_view extension) {
  if (outputDir.empty()) return ProposedOutputName(journal, extension);
  std::string path(outputDir);
  if (!FileNameOf(path).empty()) path += kFolderSeparator;
  return path + ProposedOutputName(FileNameOf(journal), extension);
}

OutputKind OutputKindFor(std::string_view outputPath) {
  // By the name the file will have: "out.xml." is an XML document on Windows.
  const std::string created = platform::CreatedPath(std::string(outputPath));
  return EndsWithIgnoringAsciiCase(created, ".xml") ? OutputKind::Xml : OutputKind::Excel;
}

std::string UsageText() {
  return "Usage: z917conv JOURNAL OUTPUT\n"
         "       z917conv [--format xlsx|xls|xml] [--output-dir DIR] [--jobs N] JOURNAL...\n"
         "Converts the cash-register journal JOURNAL (.bin) into OUTPUT: an XML\n"
         "document when OUTPUT ends in \".xml\" (any letter case), otherwise an\n"
         "Excel workbook: Excel 97-2003 when OUTPUT ends in \".xls\" (any letter\n"
         "case), the .xlsx format for any other ending.\n"
         "\n"
         "The outcome is printed as the window would show it: information on\n"
         "standard output, errors on standard error. Exit status: 0 converted,\n"
         "1 conversion failed or its outcome could not be printed, 2 wrong usage;\n"
         "130, 143 or 129 when SIGINT (Ctrl-C), SIGTERM or SIGHUP stopped the\n"
         "conversion, which then leaves nothing behind. When standard error is a\n"
         "terminal, a line on it shows the progress.\n"
         "\n"
         "The second form (any of its options, or other than two file names)\n"
         "converts each JOURNAL into DIR/NAME.EXT: NAME is the journal's name\n"
         "without its last extension, DIR its own folder unless given, EXT the\n"
         "format (xlsx unless given). N journals convert at once, one per core\n"
         "unless given; workbooks for Excel itself (on Windows, when installed)\n"
         "convert one at a time, as Excel serves one at a time. A line per\n"
         "journal tells its messages as it ends (on standard error when it\n"
         "failed), then a line how many converted. Exit status: 0 all converted,\n"
         "1 any failed, 2 wrong usage; 130, 143 or 129 when stopped as above,\n"
         "the journals still converting then left unwritten and no more begun.\n"
         "\n"
         "  --format F      xlsx (Excel workbook), xls (Excel 97-2003) or xml\n"
         "  --output-dir D  put the outputs in folder D\n"
         "  --jobs N        convert N journals at once\n"
         "  -h, --help      show this text and exit\n"
         "  --version       show the version and exit\n";
}

std::string VersionText() { return std::string("z917conv ") + Z917_VERSION + "\n"; }

void StreamMessageSink::ShowMessage(MessageKind kind, const std::string& text) {
  std::FILE* stream = kind == MessageKind::Error ? err_ : out_;
  // The other stream first, so that nothing it holds comes out after this.
  std::fflush(kind == MessageKind::Error ? out_ : err_);
  const bool written = platform::WriteText(stream, text + '\n') && std::fflush(stream) == 0;
  if (!written || std::ferror(stream)) lostMessage_ = true;
}

int ExitStatusOnceShown(int status, const StreamMessageSink& messages, std::FILE* out) {
  const bool outLost = std::fflush(out) != 0 || std::ferror(out);
  if (status == kExitConverted && (messages.LostMessage() || outLost)) return kExitFailed;
  return status;
}

std::string ProgressText(const driver::ConversionProgress& progress, double seconds) {
  if (progress.stage == driver::ConversionProgress::Stage::Saving) return SavingText(progress);
  const std::string rate = RateText(progress.entries, seconds);
  if (progress.journalSize == 0) {
    return "z917conv: прочитано записей: " + Grouped(progress.entries) + ", " + rate;
  }
  const double share =
      100.0 * static_cast<double>(progress.bytesRead) / static_cast<double>(progress.journalSize);
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3.0f", share > 100 ? 100.0 : share);
  return std::string("z917conv: ") + percent + " % журнала, " + rate;
}

ProgressLine::~ProgressLine() { StopRedrawingSave(); }

void ProgressLine::Show(const driver::ConversionProgress& progress) {
  {
    const std::lock_guard lock(mutex_);
    if (progress.bytesRead == 0 && progress.stage == driver::ConversionProgress::Stage::Reading) {
      start_ = std::chrono::steady_clock::now();
    }
    if (!enabled_) return;
    Draw(progress);
  }
  if (progress.stage == driver::ConversionProgress::Stage::Saving) StartRedrawingSave(progress);
}

void ProgressLine::Draw(const driver::ConversionProgress& progress) {
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start_;
  Rewrite(ProgressText(progress, seconds.count()));
  shown_ = true;
}

void ProgressLine::Rewrite(const std::string& text) {
  const std::size_t width = Width(text);
  std::string line = "\r" + text;
  if (erases_) {
    line += "\x1b[K";
  } else if (width < width_) {
    // Spaces over what a longer text left, then back to the text's end.
    line += std::string(width_ - width, ' ') + "\r" + text;
  }
  // As wide text on a Windows console, which shows UTF-8 bytes garbled.
  platform::WriteText(terminal_, line);
  std::fflush(terminal_);
  width_ = width;
}

void ProgressLine::StartRedrawingSave(const driver::ConversionProgress& saving) {
  if (redrawer_.joinable()) return;
  redrawing_ = true;
  try {
    redrawer_ = std::thread([this, saving] { RedrawSave(saving); });
  } catch (const std::system_error&) {
    redrawing_ = false;
  }
}

void ProgressLine::RedrawSave(driver::ConversionProgress saving) {
  std::unique_lock lock(mutex_);
  while (!redrawStopped_.wait_for(lock, kSaveRedrawInterval, [this] { return !redrawing_; })) {
    saving.saveShare = platform::SaveProgress::Share();
    if (saving.saveShare) Draw(saving);
  }
}

void ProgressLine::StopRedrawingSave() {
  if (!redrawer_.joinable()) return;
  {
    const std::lock_guard lock(mutex_);
    redrawing_ = false;
  }
  redrawStopped_.notify_one();
  redrawer_.join();
}

void ProgressLine::Clear() {
  StopRedrawingSave();
  const std::lock_guard lock(mutex_);
  if (!shown_) return;
  Rewrite("");
  shown_ = false;
}

void ProgressLine::ShowMessage(MessageKind kind, const std::string& text) {
  Clear();
  messages_.ShowMessage(kind, text);
}

namespace {

int Convert(const CommandLine& line, driver::ConversionDriver& driver, ProgressLine* progress) {
  platform::Cancellation::Reset();
  platform::CatchInterrupts();
  if (progress != nullptr) {
    driver.SetProgressListener(
        [progress](const driver::ConversionProgress& p) { progress->Show(p); });
  }
  const bool converted =
      driver.ConvertJournal(line.journal, line.output, OutputKindFor(line.output));
  driver.SetProgressListener(nullptr);
  if (progress != nullptr) progress->Clear();
  if (converted) return kExitConverted;
  return platform::InterruptCaught() ? platform::InterruptExitStatus() : kExitFailed;
}

}  // namespace

int RunCommandLine(const std::vector<std::string_view>& args, driver::ConversionDriver& driver,
                   std::FILE* out, std::FILE* err, ProgressLine* progress) {
  const CommandLine line = ParseCommandLine(args);
  switch (line.action) {
    case CommandLine::Action::Help:
      platform::WriteText(out, UsageText());
      return kExitConverted;
    case CommandLine::Action::Version:
      platform::WriteText(out, VersionText());
      return kExitConverted;
    case CommandLine::Action::Usage:
      if (!line.problem.empty()) platform::WriteText(err, "z917conv: " + line.problem + "\n");
      platform::WriteText(err, UsageText());
      return kExitUsage;
    case CommandLine::Action::ConvertMany:
      return RunBatch(line, out, err);
    case CommandLine::Action::Convert:
      break;
  }
  return Convert(line, driver, progress);
}

}  // namespace z917::cli

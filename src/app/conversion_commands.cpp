// The commands' steps, in the order the user meets them.
#include "app/conversion_commands.h"

#include <set>
#include <utility>

#include "app/output_name.h"
#include "common/ascii.h"
#include "platform/path_checks.h"

namespace z917::app {

namespace {

// The key under which the system tells two file names apart: Windows
// ignores letter case (ASCII is enough for the names we make clash).
std::string NameKey(const std::string& path) {
#ifdef _WIN32
  return AsciiLower(path);
#else
  return path;
#endif
}

// `journal`'s proposed output in `folder`, or "NAME (2).EXT" and so on
// when an earlier journal of the batch goes there already (journals of one
// name from several folders).
std::string UnusedOutput(const std::string& folder, const std::string& journal,
                         const std::string& extension, std::set<std::string>& taken) {
  const std::string name(FileNameOf(journal));
  std::string candidate = platform::InFolder(folder, ProposedOutputName(name, extension));
  for (int copy = 2; !taken.insert(NameKey(candidate)).second; ++copy) {
    const std::string numbered = " (" + std::to_string(copy) + ")" + extension;
    candidate = platform::InFolder(folder, ProposedOutputName(name, numbered));
  }
  return candidate;
}

}  // namespace

ConversionCommands::ConversionCommands(CommandServices services) : services_(std::move(services)) {}

ConversionCommands::Target ConversionCommands::ExcelTarget() {
  return {FileFilter::ExcelWorkbook, OutputKind::Excel,
          [this] { return ExcelExtensionFor(services_.excelVersion()); }};
}

ConversionCommands::Target ConversionCommands::XmlTarget() {
  return {FileFilter::Xml, OutputKind::Xml, [] { return std::string(".xml"); }};
}

void ConversionCommands::BtnBinToXlsClick() {
  // A fresh request every time: no name carries over from the last run.
  Convert(services_.dialogs.RunOpen({FileFilter::Journal, {}, {}}), ExcelTarget());
}

void ConversionCommands::BtnBinToXmlClick() {
  Convert(services_.dialogs.RunOpen({FileFilter::Journal, {}, {}}), XmlTarget());
}

void ConversionCommands::OpenJournals(const std::vector<std::string>& journals) {
  Convert(journals, ExcelTarget());
}

void ConversionCommands::Convert(const std::vector<std::string>& journals, const Target& target) {
  if (journals.empty()) return;
  if (journals.size() > 1) return ConvertMany(journals, target);
  // The Excel command starts Excel here, so only once a journal was picked.
  const std::string& journal = journals.front();
  const FileDialogRequest save{target.filter, ProposedOutputName(journal, target.extension()), {}};
  const std::optional<std::string> output = services_.dialogs.RunSave(save);
  if (!output) return;
  services_.runConversion(journal, *output, target.kind);
}

void ConversionCommands::ConvertMany(const std::vector<std::string>& journals,
                                     const Target& target) {
  const std::string extension = target.extension();
  const std::optional<std::string> folder =
      services_.dialogs.RunFolder({target.filter, platform::FolderOf(journals.front()), {}});
  if (!folder) return;
  std::vector<driver::BatchItem> items, fresh;
  std::set<std::string> taken;
  for (const std::string& journal : journals) {
    items.push_back({journal, UnusedOutput(*folder, journal, extension, taken)});
    if (platform::KindOf(items.back().output) == platform::PathKind::kMissing) {
      fresh.push_back(items.back());
    }
  }
  const std::size_t existing = items.size() - fresh.size();
  if (existing > 0) {
    const ExistingOutputs answer = services_.dialogs.AskExisting(existing);
    if (answer == ExistingOutputs::Stop) return;
    if (answer == ExistingOutputs::Skip) return services_.runBatch(fresh, target.kind, existing);
  }
  services_.runBatch(items, target.kind, 0);
}

}  // namespace z917::app

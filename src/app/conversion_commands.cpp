// The commands' steps, in the order the user meets them.
#include "app/conversion_commands.h"

#include <utility>

#include "app/output_name.h"

namespace z917::app {

ConversionCommands::ConversionCommands(CommandServices services) : services_(std::move(services)) {}

void ConversionCommands::BtnBinToXlsClick() {
  Convert(FileFilter::ExcelWorkbook, OutputKind::Excel,
          [this] { return ExcelExtensionFor(services_.excelVersion()); });
}

void ConversionCommands::BtnBinToXmlClick() {
  Convert(FileFilter::Xml, OutputKind::Xml, [] { return std::string(".xml"); });
}

void ConversionCommands::Convert(FileFilter outputFilter, OutputKind kind,
                                 const std::function<std::string()>& extension) {
  // A fresh request every time: no name carries over from the last run.
  const std::optional<std::string> journal =
      services_.dialogs.RunOpen({FileFilter::Journal, {}, {}});
  if (!journal) return;
  // The Excel command starts Excel here, so only once a journal was picked.
  const FileDialogRequest save{outputFilter, ProposedOutputName(*journal, extension()), {}};
  const std::optional<std::string> output = services_.dialogs.RunSave(save);
  if (!output) return;
  services_.runConversion(*journal, *output, kind);
}

}  // namespace z917::app

#include "driver/wired_conversion.h"

#include <utility>

#include "xml/regional_settings.h"

namespace z917::driver {

WiredConversion::WiredConversion(MessageSink& messages, automation::ServerStarter startExcel)
    : startExcel_(std::move(startExcel)),
      excel_(startExcel_, messages),
      xml_(messages, xml::ReadRegionalSettings()),
      driver_({excel_, xml_}, messages) {}

bool WiredConversion::Convert(const std::string& journal, const std::string& output,
                              OutputKind kind, const ProgressListener& progress) {
  driver_.SetProgressListener(progress);
  const bool converted = driver_.ConvertJournal(journal, output, kind);
  driver_.SetProgressListener(nullptr);
  return converted;
}

std::uint32_t WiredConversion::ExcelVersion() const {
  return excel_writer::GetExcelVersion(startExcel_);
}

}  // namespace z917::driver

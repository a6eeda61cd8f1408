// Fuzz target: any bytes as a journal, through the driver and the Excel
// writer into the built-in workbook engine, saved as an .xls and as an
// .xlsx in a scratch folder of its own, so that the engine's cells, texts,
// record splitting and limits meet damaged journals too.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "automation/server_factory.h"
#include "driver/conversion_driver.h"
#include "excel_writer/excel_book_writer.h"

namespace {

class NullMessages : public z917::MessageSink {
 public:
  void ShowMessage(z917::MessageKind, const std::string&) override {}
};

std::FILE* OpenMemory(const std::uint8_t* data, std::size_t size) {
  // fmemopen refuses an empty buffer; an empty temporary file reads alike.
  if (size == 0) return std::tmpfile();
  return fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
}

// A folder made once per process and removed when it ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "z917-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const char* name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static NullMessages messages;
  static z917::excel_writer::ExcelBookWriter excel(z917::automation::StartServer, messages);
  static z917::driver::ConversionDriver driver({excel, excel}, messages);
  static const ScratchFolder folder;
  for (const char* name : {"out.xls", "out.xlsx"}) {
    std::FILE* file = OpenMemory(data, size);
    if (file == nullptr) return 0;
    z917::driver::JournalStream stream(file);
    driver.ConvertJournal(stream, folder.File(name), z917::OutputKind::Excel);
  }
  return 0;
}

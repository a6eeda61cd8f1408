// Fuzz target: any bytes as a journal, through the driver and every decoder:
// into the recording writer as an Excel conversion, and into the real XML
// writer as an XML conversion whose save fails (no file is ever written).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/conversion_driver.h"
#include "journal/recording_writer.h"
#include "xml/xml_journal_writer.h"

namespace {

class NullMessages : public z917::MessageSink {
 public:
  void ShowMessage(z917::MessageKind, const std::string&) override {}
};

std::FILE* OpenMemory(const std::uint8_t* data, std::size_t size) {
#ifdef _WIN32
  // No fmemopen on Windows: the bytes go through a temporary file.
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return nullptr;
  std::fwrite(data, 1, size, file);
  std::rewind(file);
  return file;
#else
  // fmemopen refuses an empty buffer; an empty temporary file reads alike.
  if (size == 0) return std::tmpfile();
  return fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static NullMessages messages;
  static z917::journal::RecordingWriter recorder(&messages);
  static z917::xml::XmlJournalWriter xml(messages, {",", "%d.%m.%Y", "%H:%M:%S"});
  static z917::driver::ConversionDriver driver({recorder, xml}, messages);
  recorder.ForgetLifecycle();
  for (const auto kind : {z917::OutputKind::Excel, z917::OutputKind::Xml}) {
    std::FILE* file = OpenMemory(data, size);
    if (file == nullptr) return 0;
    z917::driver::JournalStream stream(file);
    driver.ConvertJournal(stream, "/nonexistent-z917-folder/out.xml", kind);
  }
  return 0;
}

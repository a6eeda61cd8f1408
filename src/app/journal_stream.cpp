#include "app/journal_stream.h"

#include "platform/journal_file.h"

namespace z917 {

std::unique_ptr<JournalStream> JournalStream::Open(const std::string& path) {
  std::FILE* file = platform::OpenJournalFile(path);
  if (file == nullptr) return nullptr;
  return std::make_unique<JournalStream>(file);
}

JournalStream::JournalStream(std::FILE* file) : file_(file) {
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

JournalStream::~JournalStream() { Close(); }

bool JournalStream::ReadItem(void* dest, std::size_t size) {
  if (file_ == nullptr || size == 0) return false;
  return std::fread(dest, size, 1, file_) == 1;
}

bool JournalStream::AtEnd() const { return file_ != nullptr && std::feof(file_) != 0; }

void JournalStream::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

}  // namespace z917

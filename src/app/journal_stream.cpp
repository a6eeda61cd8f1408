#include "app/journal_stream.h"

#include <filesystem>
#include <system_error>

namespace z917 {

std::unique_ptr<JournalStream> JournalStream::Open(const std::string& path) {
  if (path.empty()) return nullptr;
  // fopen opens a directory on POSIX systems, and its first read would then
  // fail as if the journal were damaged.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return nullptr;
  std::FILE* file = std::fopen(path.c_str(), "rb");
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

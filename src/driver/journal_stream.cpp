#include "driver/journal_stream.h"

#include "platform/journal_file.h"

namespace z917::driver {

namespace {

// What is left of a stream given to us open. Such streams are small (memory
// in tests and fuzzing); Open asks the system for a file's size, which
// also knows sizes past what a long holds.
std::uint64_t RemainingBytes(std::FILE* file) {
  if (file == nullptr) return 0;
  const long start = std::ftell(file);
  if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file);
  if (std::fseek(file, start, SEEK_SET) != 0) return 0;
  return end > start ? static_cast<std::uint64_t>(end - start) : 0;
}

}  // namespace

std::unique_ptr<JournalStream> JournalStream::Open(const std::string& path) {
  std::FILE* file = platform::OpenJournalFile(path);
  if (file == nullptr) return nullptr;
  return std::unique_ptr<JournalStream>(new JournalStream(file, platform::JournalFileSize(file)));
}

JournalStream::JournalStream(std::FILE* file) : JournalStream(file, 0) {
  size_ = RemainingBytes(file_);
}

JournalStream::JournalStream(std::FILE* file, std::uint64_t size) : file_(file), size_(size) {
  // Before any other use of the stream, as setvbuf requires.
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

JournalStream::~JournalStream() { Close(); }

bool JournalStream::ReadItem(void* dest, std::size_t size) {
  if (file_ == nullptr || size == 0) return false;
  // Bytewise, so that a short read still counts what it took.
  const std::size_t got = std::fread(dest, 1, size, file_);
  bytesRead_ += got;
  return got == size;
}

bool JournalStream::AtEnd() const { return file_ != nullptr && std::feof(file_) != 0; }

void JournalStream::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

}  // namespace z917::driver

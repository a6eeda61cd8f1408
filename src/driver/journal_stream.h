// The journal file as a buffered binary stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace z917::driver {

// Reads whole items, like fread with a count of 1. The end-of-file
// indicator is set only by a read that ran into the end of the file short
// of its request; a read that takes exactly the last bytes leaves it clear.
class JournalStream {
 public:
  // Opens `path` (UTF-8) for binary reading; null when it cannot be opened
  // or is a directory.
  static std::unique_ptr<JournalStream> Open(const std::string& path);
  // Takes ownership of an open stream (for example one over memory), read
  // from where it stands.
  explicit JournalStream(std::FILE* file);
  ~JournalStream();
  JournalStream(const JournalStream&) = delete;
  JournalStream& operator=(const JournalStream&) = delete;

  // Reads exactly `size` bytes into `dest`. False when fewer arrived or
  // `size` is 0 (an item of size 0 is never delivered).
  bool ReadItem(void* dest, std::size_t size);
  bool AtEnd() const;
  // Closes the file; later calls do nothing.
  void Close();

  // The bytes the stream held when it was opened, from where reading
  // started; 0 when that cannot be known (a pipe, a failed measurement).
  std::uint64_t Size() const { return size_; }
  // The bytes read so far, short reads included.
  std::uint64_t BytesRead() const { return bytesRead_; }

 private:
  JournalStream(std::FILE* file, std::uint64_t size);

  std::FILE* file_;
  std::uint64_t size_;
  std::uint64_t bytesRead_ = 0;
};

}  // namespace z917::driver

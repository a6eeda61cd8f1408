// The journal file as a buffered binary stream.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace z917 {

// Reads whole items, like fread with a count of 1. The end-of-file
// indicator is set only by a read that ran into the end of the file short
// of its request; a read that takes exactly the last bytes leaves it clear.
class JournalStream {
 public:
  // Opens `path` (UTF-8) for binary reading; null when it cannot be opened
  // or is a directory.
  static std::unique_ptr<JournalStream> Open(const std::string& path);
  // Takes ownership of an open stream (for example one over memory).
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

 private:
  std::FILE* file_;
};

}  // namespace z917

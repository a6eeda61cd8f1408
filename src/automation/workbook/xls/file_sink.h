// The file a workbook is written to: bytes appended at its end, and a few
// written back at known places once they are known.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace z917::workbook::xls {

class FileSink {
 public:
  // Opens `path` for writing, emptying it. Throws AutomationError with the
  // system's reason when it cannot.
  explicit FileSink(const std::string& path);
  // Closes the file if Close was not called (errors are then ignored).
  ~FileSink();
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  // Appends bytes; throws AutomationError when the system refuses them.
  void Append(std::span<const std::uint8_t> bytes);
  // Overwrites bytes already appended, starting at `offset`; throws
  // AutomationError as Append.
  void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // How many bytes were appended.
  std::uint64_t Size() const { return size_; }
  // Closes the file; throws AutomationError when the close reports a
  // failed write.
  void Close();

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace z917::workbook::xls

#include "automation/workbook/xls/file_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "automation/automation_error.h"

namespace z917::workbook::xls {

namespace {

[[noreturn]] void ThrowSystemError(int error) {
  throw automation::AutomationError("Не удалось записать книгу: " +
                                    std::generic_category().message(error));
}

}  // namespace

FileSink::FileSink(const std::string& path) {
  fd_ = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd_ < 0) ThrowSystemError(errno);
}

FileSink::~FileSink() {
  if (fd_ >= 0) ::close(fd_);
}

void FileSink::Append(std::span<const std::uint8_t> bytes) {
  WriteAt(size_, bytes);
  size_ += bytes.size();
}

void FileSink::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError(errno);
    }
    if (written == 0) ThrowSystemError(EIO);
    bytes = bytes.subspan(static_cast<std::size_t>(written));
    offset += static_cast<std::uint64_t>(written);
  }
}

void FileSink::Close() {
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) ThrowSystemError(errno);
}

}  // namespace z917::workbook::xls

// How failures of the file pieces in this folder reach their callers.
#pragma once

#include <stdexcept>
#include <string>

namespace z917::platform {

// A file operation that failed: the message is Russian and complete (what
// failed, with which file, and the system's reason where one is known),
// ready to follow a caller's own prefix.
class FileError : public std::runtime_error {
 public:
  explicit FileError(const std::string& message) : std::runtime_error(message) {}
};

// A write or a commit refused because the user asked to stop
// (Cancellation::Requested). Nothing was put in place; callers show no
// message of their own for it.
class FileCancelled : public FileError {
 public:
  FileCancelled() : FileError("Запись файла прервана") {}
};

}  // namespace z917::platform

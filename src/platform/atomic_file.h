// An output file that appears at its path only when complete. It grows
// beside its target, in the same folder and so on the same disk, as a file
// no other program sees where the system allows it; Commit puts it in
// place in one step, and a file that is never committed leaves nothing
// behind, also when the process is killed: on Linux it has no name, on
// Windows the system deletes it as its handle closes (only the named file
// POSIX systems fall back on stays after a kill). Every writer of a
// journal's output goes through it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_error.h"

namespace z917::platform {

class AtomicFile {
 public:
  // Prepares a new file for `target` (UTF-8). A symbolic link at `target`
  // is followed: the file takes the place of what the link points to, and
  // a link that points nowhere gets its target created. Throws FileError
  // when the path is empty, its folder is missing, an existing target is
  // not a regular file (a folder, device, FIFO or socket), a file is there
  // and `replaceExisting` is false, or the temporary file cannot be made.
  AtomicFile(const std::string& target, bool replaceExisting);
  // Discards the file unless Commit succeeded; never throws.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Appends bytes at the end of what Append wrote so far. Throws
  // FileCancelled when a stop was asked for, FileError when the system
  // refuses the bytes (the file is then of no further use).
  void Append(std::span<const std::uint8_t> bytes);
  void Append(std::string_view bytes);
  // Overwrites bytes already appended, from `offset` on; throws as Append.
  void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // How many bytes Append has written.
  std::uint64_t Size() const;

  // A name under which a library can open the file for writing, emptying
  // it: on Linux the file's /proc/self/fd entry, on other POSIX systems the
  // temporary file's own path. On Windows that path opens for nobody (the
  // file shares nothing and is marked for deletion). Valid until Commit or
  // destruction.
  const std::string& OpenablePath() const;
  // The path the file will take: `target` with symbolic links followed.
  const std::string& Target() const;

  // Flushes the file to disk and puts it at Target(): a file there is
  // replaced only when `replaceExisting`, and then keeps its permissions
  // (and its owner and group where the system lets us). Throws
  // FileCancelled when a stop was asked for, FileError otherwise; in both
  // cases Target() is as it was and nothing of the new file remains.
  void Commit();

  // For tests: make the files that follow take the way used where the
  // system refuses unnamed files (a hidden named file beside the target).
  static void ForceNamedTemporaryFiles(bool force);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace z917::platform

// The state of an AtomicFile, shared by its two halves: the steps that are
// the same on every system (atomic_file.cpp) and each system's own
// (posix/ and win32/atomic_file.cpp). Seen only inside the platform.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdint>
#include <span>
#include <string>

#include "platform/atomic_file.h"
#include "platform/path_checks.h"

namespace z917::platform {

// Fresh hidden names tried before giving up.
inline constexpr int kNameAttempts = 100;

// A name no user picks for a file of their own (".~" and eight letters or
// digits, ".tmp"), fresh on every call.
std::string HiddenName();

struct AtomicFile::Impl {
  std::string shown;   // the path as the caller gave it, for messages
  std::string target;  // with links followed where the system does that
  std::string folder;
  bool replaceExisting = false;
#ifdef _WIN32
  HANDLE handle = INVALID_HANDLE_VALUE;
#else
  int fd = -1;
#endif
  // The hidden named file; empty for an unnamed one.
  std::string tempPath;
  std::string openable;
  std::uint64_t size = 0;
  bool committed = false;

  // The same on every system.
  void CheckTarget() const;
  // Refuses what now stands at the target: not a regular file, or a file
  // where none may be replaced.
  void RefuseTaken(PathKind kind) const;
  void CreateNamed();
  void Write(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  [[noreturn]] void ThrowCreate(int error) const;
  [[noreturn]] void ThrowWrite(int error) const;
  [[noreturn]] void ThrowSave(int error) const;
  [[noreturn]] void ThrowExists() const;

  // Each system's own. The error code of a file that is not open.
  static const int kNotOpen;
  // `path` as the file will take it.
  static std::string TargetOf(const std::string& path);
  // Closes the file and, unless committed, removes what it left.
  ~Impl();
  bool IsOpen() const;
  void Create();
  // Opens a new file at `path`, never one that is there already: 0, or the
  // system's error code.
  int OpenNew(const std::string& path);
  static bool NameTaken(int error);
  void WriteAll(std::uint64_t offset, const std::uint8_t* data, std::size_t left);
  void Flush();
  void PutInPlace();
#ifndef _WIN32
  void LinkUnnamed();
  void RenameNamed();
#endif
};

}  // namespace z917::platform

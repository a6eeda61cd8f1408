// The atomic output file on Windows: a temporary file beside the target,
// written through the wide API, flushed, then moved over the target in
// one step by MoveFileExW. A file never committed is deleted.
#include "platform/atomic_file.h"

#include <windows.h>

#include <atomic>
#include <random>

#include "platform/cancellation.h"
#include "platform/system_reason.h"
#include "platform/win32/path_checks.h"
#include "platform/win32/wide_text.h"

namespace z917::platform {

namespace {

using win32::FolderOf;
using win32::InFolder;
using win32::PathKind;
using win32::Quoted;

// Fresh temporary names tried before giving up.
constexpr int kNameAttempts = 100;
// The largest piece one WriteFile call is given.
constexpr std::size_t kWritePiece = std::size_t{1} << 30;

std::string TemporaryName() {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
  std::string name = ".~";
  for (int i = 0; i < 8; ++i) name += kChars[pick(generator)];
  return name + ".tmp";
}

int LastError() { return static_cast<int>(::GetLastError()); }

}  // namespace

struct AtomicFile::Impl {
  std::string shown;  // the path as the caller gave it, for messages
  std::string folder;
  bool replaceExisting = false;
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::string tempPath;
  std::uint64_t size = 0;
  bool committed = false;

  void CheckTarget() const;
  void Create();
  void Write(std::uint64_t offset, const std::uint8_t* data, std::size_t size);
  void PutInPlace();
  [[noreturn]] void ThrowWrite(int error) const;
  [[noreturn]] void ThrowSave(int error) const;
  [[noreturn]] void ThrowExists() const;
};

void AtomicFile::Impl::CheckTarget() const {
  if (shown.empty()) throw FileError("Имя файла не задано");
  if (win32::KindOf(folder) != PathKind::kFolder) {
    throw FileError("Папка " + Quoted(folder) + " не существует");
  }
  const PathKind kind = win32::KindOf(shown);
  win32::RefuseNonRegular(shown, kind);
  if (kind == PathKind::kFile && !replaceExisting) ThrowExists();
}

void AtomicFile::Impl::Create() {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string path = InFolder(folder, TemporaryName());
    // Nobody else opens it while it grows; CREATE_NEW never takes over a
    // file that is there already.
    handle = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      tempPath = path;
      return;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  throw FileError("Не удалось создать файл в папке " + Quoted(folder) + ": " +
                  SystemReason(LastError()));
}

void AtomicFile::Impl::ThrowWrite(int error) const {
  throw FileError("Не удалось записать файл " + Quoted(shown) + ": " + SystemReason(error));
}

void AtomicFile::Impl::ThrowSave(int error) const {
  throw FileError("Не удалось сохранить файл " + Quoted(shown) + ": " + SystemReason(error));
}

void AtomicFile::Impl::ThrowExists() const {
  throw FileError("Файл " + Quoted(shown) + " уже существует");
}

void AtomicFile::Impl::Write(std::uint64_t offset, const std::uint8_t* data, std::size_t left) {
  if (Cancellation::Requested()) throw FileCancelled();
  if (handle == INVALID_HANDLE_VALUE || committed) ThrowWrite(ERROR_INVALID_HANDLE);
  while (left > 0) {
    // On a handle opened for synchronous access the OVERLAPPED offset
    // places the write; the call returns once it is done.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD piece = static_cast<DWORD>(left < kWritePiece ? left : kWritePiece);
    DWORD written = 0;
    if (!::WriteFile(handle, data, piece, &written, &at)) ThrowWrite(LastError());
    if (written == 0) ThrowWrite(ERROR_WRITE_FAULT);
    data += written;
    left -= written;
    offset += written;
  }
}

void AtomicFile::Impl::PutInPlace() {
  // Something may have taken the name since the file was begun.
  const PathKind kind = win32::KindOf(shown);
  win32::RefuseNonRegular(shown, kind);
  if (kind == PathKind::kFile && !replaceExisting) ThrowExists();
  // Windows keeps a read-only file from being saved over (Wine's move
  // would replace it): refused here, as Excel refuses it.
  const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(shown).c_str());
  if (kind == PathKind::kFile && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    ThrowSave(ERROR_ACCESS_DENIED);
  }
  ::CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
  // Without MOVEFILE_REPLACE_EXISTING the move itself refuses a file that
  // appeared at the last moment.
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!::MoveFileExW(WideFromUtf8(tempPath).c_str(), WideFromUtf8(shown).c_str(), flags)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) ThrowExists();
    ThrowSave(static_cast<int>(error));
  }
  committed = true;
}

AtomicFile::AtomicFile(const std::string& target, bool replaceExisting)
    : impl_(std::make_unique<Impl>()) {
  Impl& file = *impl_;
  file.shown = target;
  file.folder = FolderOf(target);
  file.replaceExisting = replaceExisting;
  file.CheckTarget();
  file.Create();
}

AtomicFile::~AtomicFile() {
  if (impl_->handle != INVALID_HANDLE_VALUE) ::CloseHandle(impl_->handle);
  if (!impl_->committed && !impl_->tempPath.empty()) {
    ::DeleteFileW(WideFromUtf8(impl_->tempPath).c_str());
  }
}

void AtomicFile::Append(std::span<const std::uint8_t> bytes) {
  impl_->Write(impl_->size, bytes.data(), bytes.size());
  impl_->size += bytes.size();
}

void AtomicFile::Append(std::string_view bytes) {
  Append(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

void AtomicFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  impl_->Write(offset, bytes.data(), bytes.size());
}

std::uint64_t AtomicFile::Size() const { return impl_->size; }

const std::string& AtomicFile::OpenablePath() const { return impl_->tempPath; }

const std::string& AtomicFile::Target() const { return impl_->shown; }

void AtomicFile::Commit() {
  Impl& file = *impl_;
  if (Cancellation::Requested()) throw FileCancelled();
  if (file.handle == INVALID_HANDLE_VALUE || file.committed) file.ThrowSave(ERROR_INVALID_HANDLE);
  if (!::FlushFileBuffers(file.handle)) file.ThrowWrite(LastError());
  file.PutInPlace();
}

// Windows files are always named: the switch has nothing to change.
void AtomicFile::ForceNamedTemporaryFiles(bool) {}

}  // namespace z917::platform

// The atomic output file on Windows: a temporary file beside the target,
// written through the wide API, flushed, then moved over the target in
// one step by MoveFileExW. A file never committed is deleted.
#include <windows.h>

#include "platform/atomic_file_impl.h"
#include "platform/win32/wide_text.h"

namespace z917::platform {

namespace {

// The largest piece one WriteFile call is given.
constexpr std::size_t kWritePiece = std::size_t{1} << 30;

int LastError() { return static_cast<int>(::GetLastError()); }

}  // namespace

const int AtomicFile::Impl::kNotOpen = ERROR_INVALID_HANDLE;

// Windows paths are taken as given.
std::string AtomicFile::Impl::TargetOf(const std::string& path) { return path; }

AtomicFile::Impl::~Impl() {
  if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  if (!committed && !tempPath.empty()) ::DeleteFileW(WideFromUtf8(tempPath).c_str());
}

bool AtomicFile::Impl::IsOpen() const { return handle != INVALID_HANDLE_VALUE; }

// Windows files are always named.
void AtomicFile::Impl::Create() { CreateNamed(); }

int AtomicFile::Impl::OpenNew(const std::string& path) {
  // Nobody else opens it while it grows; CREATE_NEW never takes over a
  // file that is there already.
  handle = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle != INVALID_HANDLE_VALUE ? 0 : LastError();
}

bool AtomicFile::Impl::NameTaken(int error) {
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

void AtomicFile::Impl::WriteAll(std::uint64_t offset, const std::uint8_t* data, std::size_t left) {
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

void AtomicFile::Impl::Flush() {
  if (!::FlushFileBuffers(handle)) ThrowWrite(LastError());
}

void AtomicFile::Impl::PutInPlace() {
  // Something may have taken the name since the file was begun.
  const PathKind kind = KindOf(target);
  RefuseTaken(kind);
  // Windows keeps a read-only file from being saved over (Wine's move
  // would replace it): refused here, as Excel refuses it.
  const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(target).c_str());
  if (kind == PathKind::kFile && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    ThrowSave(ERROR_ACCESS_DENIED);
  }
  ::CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
  // Without MOVEFILE_REPLACE_EXISTING the move itself refuses a file that
  // appeared at the last moment.
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!::MoveFileExW(WideFromUtf8(tempPath).c_str(), WideFromUtf8(target).c_str(), flags)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) ThrowExists();
    // Windows refuses to replace a file another program holds, mostly as
    // "access denied", which does not say what to do.
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
        HeldByAnotherProgram(target)) {
      ThrowHeld(shown);
    }
    ThrowSave(static_cast<int>(error));
  }
  committed = true;
}

// Windows files are always named: the switch has nothing to change.
void AtomicFile::ForceNamedTemporaryFiles(bool) {}

}  // namespace z917::platform

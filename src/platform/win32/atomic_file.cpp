// The atomic output file on Windows: a hidden temporary file beside the
// target, marked for deletion from its first moment, so that the system
// removes it when its handle closes however the process ends (killed by
// taskkill /F too). The commit takes the mark off and renames the file
// over the target through its handle.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/atomic_file_impl.h"
#include "platform/win32/extended_path.h"

namespace z917::platform {

namespace {

// The largest piece one WriteFile call is given.
constexpr std::size_t kWritePiece = std::size_t{1} << 30;

int LastError() { return static_cast<int>(::GetLastError()); }

// Has the system delete the open file when its last handle closes, or no
// longer (`remove` false).
bool MarkForDeletion(HANDLE handle, bool remove) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove;
  return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

// Takes the hidden and temporary attributes off the open file.
bool ShowFile(HANDLE handle) {
  FILE_BASIC_INFO basic{};  // times of 0 are left as they are
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic) != 0;
}

// Gives the open file the name `path`, replacing a file there only when
// `replace`.
bool RenameOpenFile(HANDLE handle, const std::wstring& path, bool replace) {
  // The name follows the structure; the system reads it up to a null.
  const std::size_t nameBytes = (path.size() + 1) * sizeof(wchar_t);
  std::vector<std::byte> buffer(offsetof(FILE_RENAME_INFO, FileName) + nameBytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = replace;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(path.size() * sizeof(wchar_t));
  std::memcpy(buffer.data() + offsetof(FILE_RENAME_INFO, FileName), path.c_str(), nameBytes);
  return ::SetFileInformationByHandle(handle, FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size())) != 0;
}

}  // namespace

const int AtomicFile::Impl::kNotOpen = ERROR_INVALID_HANDLE;

// Windows paths are taken as given.
std::string AtomicFile::Impl::TargetOf(const std::string& path) { return path; }

AtomicFile::Impl::~Impl() {
  // The mark deletes an uncommitted file as the handle closes.
  if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
}

bool AtomicFile::Impl::IsOpen() const { return handle != INVALID_HANDLE_VALUE; }

// Windows files are always named.
void AtomicFile::Impl::Create() { CreateNamed(); }

int AtomicFile::Impl::OpenNew(const std::string& path) {
  // Nobody else opens it while it grows; CREATE_NEW never takes over a
  // file that is there already.
  handle =
      ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  if (MarkForDeletion(handle, true)) return 0;
  // Unmarked, a killed run would leave it behind: none is made then.
  const int error = LastError();
  ::CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
  ::DeleteFileW(SystemPath(path).c_str());
  return error;
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
  // Windows keeps a read-only file from being saved over (Wine's rename
  // would replace it): refused here, as Excel refuses it.
  const std::wstring system = SystemPath(target);
  const DWORD attributes = ::GetFileAttributesW(system.c_str());
  if (kind == PathKind::kFile && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    ThrowSave(ERROR_ACCESS_DENIED);
  }
  // Unmarked only now, and marked again should the rename fail: the file
  // outlives its handle only under the target's name.
  if (!ShowFile(handle) || !MarkForDeletion(handle, false)) ThrowSave(LastError());
  if (!RenameOpenFile(handle, system, replaceExisting)) {
    const DWORD error = ::GetLastError();
    MarkForDeletion(handle, true);
    // Without ReplaceIfExists the rename itself refuses a file that
    // appeared at the last moment.
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
  ::CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
}

// Windows files are always named: the switch has nothing to change.
void AtomicFile::ForceNamedTemporaryFiles(bool) {}

}  // namespace z917::platform

#include "platform/path_checks.h"

#include <windows.h>

#include "common/file_name.h"
#include "platform/win32/extended_path.h"

namespace z917::platform {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) {
    // "C:name" lies in drive C's current folder.
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
  }
  // The root keeps its slash: "\name" and "C:\name" lie in a root.
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

std::string InFolder(const std::string& folder, const std::string& name) {
  const char last = folder.empty() ? '\\' : folder.back();
  return folder + (last == '\\' || last == '/' || last == ':' ? "" : "\\") + name;
}

std::string CreatedPath(const std::string& path) { return AsWindowsCreates(path); }

PathKind KindOf(const std::string& path) {
  // CON and LPT1 answer no open without access, and any extension names
  // them too ("con.xml"): their names tell.
  if (IsWindowsDeviceName(FileNameOf(path))) return PathKind::kDevice;
  const std::wstring wide = SystemPath(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return PathKind::kFolder;
  }
  // Devices (NUL, COM1) and pipes answer only to an open handle.
  const HANDLE handle =
      ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return attributes == INVALID_FILE_ATTRIBUTES ? PathKind::kMissing : PathKind::kFile;
  }
  const DWORD type = ::GetFileType(handle);
  ::CloseHandle(handle);
  if (type == FILE_TYPE_CHAR) return PathKind::kDevice;
  if (type == FILE_TYPE_PIPE) return PathKind::kPipe;
  return PathKind::kFile;
}

bool HeldByAnotherProgram(const std::string& path) {
  // Sharing nothing, this open fails while any other handle reads, writes
  // or deletes the file; DELETE access alone changes nothing and is granted
  // even on a read-only file.
  const HANDLE handle = ::CreateFileW(SystemPath(path).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    ::CloseHandle(handle);
    return false;
  }
  const DWORD error = ::GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

}  // namespace z917::platform

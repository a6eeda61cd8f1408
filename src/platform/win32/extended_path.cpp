#include "platform/win32/extended_path.h"

#include <windows.h>

#include <string_view>

#include "platform/win32/wide_text.h"

namespace z917::platform {

namespace {

constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevice = L"\\\\.\\";
constexpr std::wstring_view kUnc = L"\\\\";

bool StartsWith(std::wstring_view text, std::wstring_view start) {
  return text.substr(0, start.size()) == start;
}

// `path` made absolute by the system; "" when it cannot.
std::wstring FullPath(const std::wstring& path) {
  // Asked for its length first (with the terminating null); asked again
  // should the current folder have changed to a longer one meanwhile.
  DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  while (size != 0) {
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length < size) {
      full.resize(length);
      return full;
    }
    size = length;
  }
  return {};
}

}  // namespace

std::wstring ExtendedPath(const std::wstring& path) {
  if (path.empty() || StartsWith(path, kExtended) || StartsWith(path, kDevice)) return path;
  const std::wstring full = FullPath(path);
  // Device names ("NUL", "C:\dir\lpt1.xls") come back as "\\.\NUL".
  if (full.empty() || StartsWith(full, kDevice) || StartsWith(full, kExtended)) {
    return full.empty() ? path : full;
  }
  if (StartsWith(full, kUnc)) return std::wstring(kExtendedUnc) + full.substr(kUnc.size());
  return std::wstring(kExtended) + full;
}

std::wstring SystemPath(const std::string& path) { return ExtendedPath(WideFromUtf8(path)); }

}  // namespace z917::platform

// A Windows console shows UTF-8 bytes only under code page 65001, which
// the user's console seldom has; wide text shows under any. Files and
// pipes get the UTF-8 bytes.
#include "platform/console.h"

#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>

#include "platform/win32/wide_text.h"

namespace z917::platform {

namespace {

// The console behind `stream`, or null when the stream is a file or pipe.
HANDLE ConsoleOf(std::FILE* stream) {
  const int fd = ::_fileno(stream);
  if (fd < 0) return nullptr;
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) return nullptr;
  return handle;
}

}  // namespace

bool WriteText(std::FILE* stream, std::string_view text) {
  const HANDLE console = ConsoleOf(stream);
  if (console == nullptr) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
  }
  // What the stream holds goes first, so the order on screen holds.
  std::fflush(stream);
  const std::wstring wide = WideFromUtf8(text);
  std::size_t done = 0;
  while (done < wide.size()) {
    // Large writes to a console fail on older systems; pieces never do.
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
    DWORD written = 0;
    if (!::WriteConsoleW(console, wide.data() + done, piece, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

std::vector<std::string> ProgramArguments(int, char**) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
  if (wide != nullptr) ::LocalFree(wide);
  return args;
}

}  // namespace z917::platform

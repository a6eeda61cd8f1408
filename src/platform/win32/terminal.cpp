#include "platform/terminal.h"

#include <io.h>
#include <windows.h>

namespace z917::platform {

bool IsTerminal(std::FILE* stream) {
  if (stream == nullptr) return false;
  const int fd = _fileno(stream);
  // A console; a redirected stream is a file or a pipe.
  return fd >= 0 && _isatty(fd) != 0;
}

bool EnableLineErasing(std::FILE* stream) {
  const int fd = stream == nullptr ? -1 : _fileno(stream);
  const auto console = reinterpret_cast<HANDLE>(fd < 0 ? -1 : _get_osfhandle(fd));
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || !::GetConsoleMode(console, &mode)) return false;
  return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
         ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace z917::platform

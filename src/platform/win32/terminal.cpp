#include "platform/terminal.h"

#include <io.h>

namespace z917::platform {

bool IsTerminal(std::FILE* stream) {
  if (stream == nullptr) return false;
  const int fd = _fileno(stream);
  // A console; a redirected stream is a file or a pipe.
  return fd >= 0 && _isatty(fd) != 0;
}

}  // namespace z917::platform

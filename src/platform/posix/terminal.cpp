#include "platform/terminal.h"

#include <unistd.h>

namespace z917::platform {

bool IsTerminal(std::FILE* stream) {
  if (stream == nullptr) return false;
  const int fd = fileno(stream);
  return fd >= 0 && isatty(fd) == 1;
}

bool EnableLineErasing(std::FILE* stream) { return IsTerminal(stream); }

}  // namespace z917::platform

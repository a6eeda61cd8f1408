#include "platform/file_stream.h"

namespace z917::platform {

std::FILE* OpenFileStream(const std::string& utf8Path, const char* mode) {
  return std::fopen(utf8Path.c_str(), mode);
}

}  // namespace z917::platform

#include "platform/file_stream.h"

#include <string_view>

#include "platform/win32/extended_path.h"
#include "platform/win32/wide_text.h"

namespace z917::platform {

std::FILE* OpenFileStream(const std::string& utf8Path, const char* mode) {
  return ::_wfopen(SystemPath(utf8Path).c_str(), WideFromUtf8(mode).c_str());
}

}  // namespace z917::platform

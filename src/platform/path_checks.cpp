#include "platform/path_checks.h"

#include <utility>

#include "platform/file_error.h"
#include "platform/journal_file.h"

namespace z917::platform {

namespace {

// The words the refusals call what stands at a path instead of a file.
constexpr std::pair<PathKind, const char*> kKindWords[] = {
    {PathKind::kFolder, "папка"},
    {PathKind::kDevice, "устройство"},
    {PathKind::kPipe, "именованный канал"},
    {PathKind::kSocket, "сокет"},
};

}  // namespace

std::string Quoted(const std::string& path) { return "«" + path + "»"; }

void RefuseNonRegular(const std::string& shown, PathKind kind) {
  if (kind == PathKind::kMissing || kind == PathKind::kFile) return;
  for (const auto& [named, word] : kKindWords) {
    if (named == kind) throw FileError(Quoted(shown) + " — это " + word + ", а не файл");
  }
  throw FileError(Quoted(shown) + " — это не обычный файл");
}

void CheckOutputPath(const std::string& path) {
  if (path.empty()) return;
  RefuseNonRegular(path, KindOf(path));
}

}  // namespace z917::platform

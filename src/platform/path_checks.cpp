#include "platform/path_checks.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "common/ascii.h"
#include "platform/file_error.h"
#include "platform/journal_file.h"

namespace z917::platform {

namespace {

constexpr std::string_view kDevices[] = {"con", "prn", "aux", "nul"};
// Each followed by one digit, 1 to 9 or a superscript 1, 2 or 3 (UTF-8).
constexpr std::string_view kNumberedDevices[] = {"com", "lpt"};
constexpr std::string_view kSuperscriptDigits[] = {"¹", "²", "³"};

bool IsDeviceDigit(std::string_view digit) {
  if (digit.size() == 1) return digit[0] >= '1' && digit[0] <= '9';
  return std::find(std::begin(kSuperscriptDigits), std::end(kSuperscriptDigits), digit) !=
         std::end(kSuperscriptDigits);
}

// The words the refusals call what stands at a path instead of a file.
constexpr std::pair<PathKind, const char*> kKindWords[] = {
    {PathKind::kFolder, "папка"},
    {PathKind::kDevice, "устройство"},
    {PathKind::kPipe, "именованный канал"},
    {PathKind::kSocket, "сокет"},
};

}  // namespace

std::string Quoted(const std::string& path) { return "«" + path + "»"; }

bool IsWindowsDeviceName(std::string_view fileName) {
  // Windows reads the name up to its first dot (or a stream's colon).
  std::string_view stem = fileName.substr(0, fileName.find_first_of(".:"));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  const auto named = [stem](std::string_view device) {
    return EqualsIgnoringAsciiCase(stem.substr(0, device.size()), device);
  };
  if (std::any_of(std::begin(kDevices), std::end(kDevices), named)) return stem.size() == 3;
  return std::any_of(std::begin(kNumberedDevices), std::end(kNumberedDevices), named) &&
         IsDeviceDigit(stem.substr(3));
}

std::string AsWindowsCreates(std::string_view path) {
  const std::size_t start = path.find_last_of("\\/:") + 1;  // npos + 1 == 0
  std::size_t end = path.size();
  while (end > start && (path[end - 1] == '.' || path[end - 1] == ' ')) --end;
  return std::string(path.substr(0, end > start ? end : path.size()));
}

void RefuseNonRegular(const std::string& shown, PathKind kind) {
  if (kind == PathKind::kMissing || kind == PathKind::kFile) return;
  for (const auto& [named, word] : kKindWords) {
    if (named == kind) throw FileError(Quoted(shown) + " — это " + word + ", а не файл");
  }
  throw FileError(Quoted(shown) + " — это не обычный файл");
}

void ThrowHeld(const std::string& shown) {
  throw FileError("Файл " + Quoted(shown) + " открыт в другой программе: закройте его и повторите");
}

void CheckOutputPath(const std::string& path) {
  if (path.empty()) return;
  const PathKind kind = KindOf(path);
  RefuseNonRegular(path, kind);
  // Told before converting: the save would fail only at the end.
  if (kind == PathKind::kFile && HeldByAnotherProgram(path)) ThrowHeld(path);
}

}  // namespace z917::platform

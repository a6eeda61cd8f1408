// What an atomic output file does alike on every system: the checks of
// its target, the hidden names, the messages, and the order of the steps
// each system takes in its own way (posix/ and win32/atomic_file.cpp).
#include "platform/atomic_file.h"

#include <random>

#include "platform/atomic_file_impl.h"
#include "platform/cancellation.h"
#include "platform/system_reason.h"

namespace z917::platform {

std::string HiddenName() {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
  std::string name = ".~";
  for (int i = 0; i < 8; ++i) name += kChars[pick(generator)];
  return name + ".tmp";
}

void AtomicFile::Impl::CheckTarget() const {
  if (shown.empty()) throw FileError("Имя файла не задано");
  if (KindOf(folder) != PathKind::kFolder) {
    throw FileError("Папка " + Quoted(folder) + " не существует");
  }
  RefuseTaken(KindOf(target));
}

void AtomicFile::Impl::RefuseTaken(PathKind kind) const {
  RefuseNonRegular(shown, kind);
  if (kind == PathKind::kFile && !replaceExisting) ThrowExists();
}

void AtomicFile::Impl::CreateNamed() {
  int error = 0;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string path = InFolder(folder, HiddenName());
    error = OpenNew(path);
    if (error == 0) {
      tempPath = openable = path;
      return;
    }
    if (!NameTaken(error)) break;
  }
  ThrowCreate(error);
}

void AtomicFile::Impl::Write(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (Cancellation::Requested()) throw FileCancelled();
  if (!IsOpen() || committed) ThrowWrite(kNotOpen);
  WriteAll(offset, bytes.data(), bytes.size());
}

void AtomicFile::Impl::ThrowCreate(int error) const {
  throw FileError("Не удалось создать файл в папке " + Quoted(folder) + ": " + SystemReason(error));
}

void AtomicFile::Impl::ThrowWrite(int error) const {
  throw FileError("Не удалось записать файл " + Quoted(shown) + ": " + SystemReason(error));
}

void AtomicFile::Impl::ThrowSave(int error) const {
  throw FileError("Не удалось сохранить файл " + Quoted(shown) + ": " + SystemReason(error));
}

void AtomicFile::Impl::ThrowExists() const {
  throw FileError("Файл " + Quoted(shown) + " уже существует");
}

AtomicFile::AtomicFile(const std::string& target, bool replaceExisting)
    : impl_(std::make_unique<Impl>()) {
  Impl& file = *impl_;
  file.shown = target;
  file.target = Impl::TargetOf(target);
  file.folder = FolderOf(file.target);
  file.replaceExisting = replaceExisting;
  file.CheckTarget();
  file.Create();
}

AtomicFile::~AtomicFile() = default;

void AtomicFile::Append(std::span<const std::uint8_t> bytes) {
  impl_->Write(impl_->size, bytes);
  impl_->size += bytes.size();
}

void AtomicFile::Append(std::string_view bytes) {
  Append(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

void AtomicFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  impl_->Write(offset, bytes);
}

std::uint64_t AtomicFile::Size() const { return impl_->size; }

const std::string& AtomicFile::OpenablePath() const { return impl_->openable; }

const std::string& AtomicFile::Target() const { return impl_->target; }

void AtomicFile::Commit() {
  Impl& file = *impl_;
  if (Cancellation::Requested()) throw FileCancelled();
  if (!file.IsOpen() || file.committed) file.ThrowSave(Impl::kNotOpen);
  file.Flush();
  file.PutInPlace();
}

}  // namespace z917::platform

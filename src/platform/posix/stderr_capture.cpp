#include "platform/stderr_capture.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace z917::platform {

// glibc's `stderr` is a variable that libraries read at every call, so
// pointing it at a stream in memory catches their fprintf(stderr, ...)
// without touching descriptor 2, which other threads may be writing to.
struct StderrCapture::Impl {
  std::FILE* saved = nullptr;
  std::FILE* memory = nullptr;
  char* buffer = nullptr;
  std::size_t size = 0;
};

StderrCapture::StderrCapture() : impl_(new (std::nothrow) Impl) {
  if (impl_ == nullptr) return;
  impl_->memory = ::open_memstream(&impl_->buffer, &impl_->size);
  if (impl_->memory == nullptr) return;
  impl_->saved = stderr;
  std::fflush(stderr);
  stderr = impl_->memory;
}

StderrCapture::~StderrCapture() {
  if (impl_ == nullptr) return;
  if (impl_->memory != nullptr) {
    stderr = impl_->saved;
    std::fclose(impl_->memory);
  }
  std::free(impl_->buffer);
}

std::string StderrCapture::Text() {
  if (impl_ == nullptr || impl_->memory == nullptr) return {};
  std::fflush(impl_->memory);
  return std::string(impl_->buffer, impl_->size);
}

}  // namespace z917::platform

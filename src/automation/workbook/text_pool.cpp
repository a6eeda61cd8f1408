#include "automation/workbook/text_pool.h"

#include <cstring>
#include <limits>
#include <new>

namespace z917::workbook {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

}  // namespace

TextId TextPool::Intern(std::string_view text) {
  if (const auto found = ids_.find(text); found != ids_.end()) return found->second;
  if (texts_.size() >= std::numeric_limits<TextId>::max()) throw std::bad_alloc();
  const std::string_view stored = Store(text);
  const auto id = static_cast<TextId>(texts_.size());
  texts_.push_back(stored);
  ids_.emplace(stored, id);
  return id;
}

std::string_view TextPool::Store(std::string_view text) {
  // Each text is stored with a zero byte after it.
  const std::size_t size = text.size() + 1;
  char* at;
  if (size > kBlockSize / 4) {
    // A long text gets a block of its own; the current block stays open
    // for the short texts that follow.
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    at = blocks_.back().get();
  } else {
    if (size > blockFree_) {
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
      blockNext_ = blocks_.back().get();
      blockFree_ = kBlockSize;
    }
    at = blockNext_;
    blockNext_ += size;
    blockFree_ -= size;
  }
  std::memcpy(at, text.data(), text.size());
  at[text.size()] = '\0';
  return {at, text.size()};
}

}  // namespace z917::workbook

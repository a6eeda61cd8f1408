// The texts of a workbook's cells, each distinct text stored once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace z917::workbook {

using TextId = std::uint32_t;

// Interns texts: equal texts get the same id, ids count from 0 in order of
// first appearance (the order a shared string table would list them).
class TextPool {
 public:
  TextPool() = default;
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;

  // The id of `text`, adding it when new; throws std::bad_alloc only.
  TextId Intern(std::string_view text);
  // The text of an id that Intern gave.
  std::string_view Text(TextId id) const { return texts_[id]; }
  // The same text, followed by a zero byte, for C interfaces.
  const char* CText(TextId id) const { return texts_[id].data(); }
  // How many distinct texts there are.
  std::size_t Count() const { return texts_.size(); }

 private:
  std::string_view Store(std::string_view text);

  // Texts live in large blocks that never move, so the views stay valid.
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t blockFree_ = 0;
  char* blockNext_ = nullptr;
  std::vector<std::string_view> texts_;
  std::unordered_map<std::string_view, TextId> ids_;
};

}  // namespace z917::workbook

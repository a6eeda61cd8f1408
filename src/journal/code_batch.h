// A goods code and batch number packed in one 64-bit field.
#pragma once

#include <cstdint>

namespace z917::journal {

struct CodeBatch {
  std::int64_t Code;    // bits 63..20, never negative
  std::uint32_t Batch;  // bits 19..0
};

// Splits the field; total, every value is valid.
constexpr CodeBatch SplitCodeBatch(std::uint64_t v) {
  return {static_cast<std::int64_t>(v >> 20), static_cast<std::uint32_t>(v & 0xFFFFFu)};
}

// Packs a code (44 bits) and a batch (20 bits); higher bits are dropped.
constexpr std::uint64_t PackCodeBatch(std::uint64_t code, std::uint32_t batch) {
  return (code << 20) | (batch & 0xFFFFFu);
}

}  // namespace z917::journal

// The Compound File container around the workbook stream: 512-byte
// sectors, the stream in the first sectors, then the directory (the root
// entry and "Workbook"), the FAT that chains the sectors, and the DIFAT
// sectors that list FAT sectors past the 109 the header holds.
#pragma once

#include <cstdint>

#include "automation/workbook/xls/byte_buffer.h"

namespace z917::workbook::xls {

inline constexpr std::uint32_t kSectorSize = 512;
// A stream below this size would belong in the mini stream; the writer
// pads the workbook stream up to it instead.
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;
// The largest workbook stream the container holds (version 3 keeps sizes
// below 2 GB).
inline constexpr std::uint64_t kMaxStreamSize = 0x7FFFFE00;

// Where everything lies, in sectors counted from the one after the header.
struct CompoundLayout {
  std::uint32_t streamSize = 0;
  std::uint32_t streamSectors = 0;
  std::uint32_t fatSectors = 0;
  std::uint32_t difatSectors = 0;

  std::uint32_t DirectorySector() const { return streamSectors; }
  std::uint32_t FirstFatSector() const { return streamSectors + 1; }
  std::uint32_t FirstDifatSector() const { return FirstFatSector() + fatSectors; }
  std::uint32_t SectorCount() const { return FirstDifatSector() + difatSectors; }
};

// The layout for a workbook stream of `streamSize` bytes, which must lie
// between kMiniStreamCutoff and kMaxStreamSize.
CompoundLayout PlanCompoundFile(std::uint32_t streamSize);

// Appends the 512-byte file header.
void AppendCompoundHeader(ByteBuffer& out, const CompoundLayout& layout);

// Appends what follows the stream's sectors (the stream's last sector
// padded to its end): the directory sector, the FAT sectors and the DIFAT
// sectors.
void AppendCompoundTail(ByteBuffer& out, const CompoundLayout& layout);

}  // namespace z917::workbook::xls

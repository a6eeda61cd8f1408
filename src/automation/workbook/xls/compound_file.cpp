#include "automation/workbook/xls/compound_file.h"

#include <string_view>

namespace z917::workbook::xls {

namespace {

constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint32_t kEntriesPerSector = kSectorSize / 4;
constexpr std::uint32_t kHeaderDifatEntries = 109;
// A DIFAT sector lists 127 FAT sectors and ends with the next DIFAT sector.
constexpr std::uint32_t kDifatEntriesPerSector = kEntriesPerSector - 1;

std::uint32_t CeilDiv(std::uint32_t a, std::uint32_t b) { return (a + b - 1) / b; }

enum class EntryType : std::uint8_t { Empty = 0, Stream = 2, Root = 5 };

void AppendDirectoryEntry(ByteBuffer& out, std::u16string_view name, EntryType type,
                          std::uint32_t child, std::uint32_t startSector, std::uint32_t size) {
  for (const char16_t c : name) out.U16(c);
  out.Zeros(64 - 2 * name.size());
  out.U16(name.empty() ? 0 : static_cast<std::uint16_t>(2 * (name.size() + 1)));
  out.U8(static_cast<std::uint8_t>(type));
  out.U8(type == EntryType::Empty ? 0 : 1);  // black
  out.U32(kNoStream);                        // left sibling
  out.U32(kNoStream);                        // right sibling
  out.U32(child);
  out.Zeros(16 + 4 + 8 + 8);  // class id, state bits, creation and change times
  out.U32(startSector);
  out.U32(size);
  out.U32(0);
}

void AppendDirectory(ByteBuffer& out, const CompoundLayout& layout) {
  AppendDirectoryEntry(out, u"Root Entry", EntryType::Root, 1, kEndOfChain, 0);
  AppendDirectoryEntry(out, u"Workbook", EntryType::Stream, kNoStream, 0, layout.streamSize);
  AppendDirectoryEntry(out, u"", EntryType::Empty, kNoStream, 0, 0);
  AppendDirectoryEntry(out, u"", EntryType::Empty, kNoStream, 0, 0);
}

void AppendFat(ByteBuffer& out, const CompoundLayout& layout) {
  for (std::uint32_t s = 0; s + 1 < layout.streamSectors; ++s) out.U32(s + 1);
  out.U32(kEndOfChain);  // the stream's last sector
  out.U32(kEndOfChain);  // the directory's only sector
  for (std::uint32_t s = 0; s < layout.fatSectors; ++s) out.U32(kFatSector);
  for (std::uint32_t s = 0; s < layout.difatSectors; ++s) out.U32(kDifatSector);
  for (std::uint32_t s = layout.SectorCount(); s < layout.fatSectors * kEntriesPerSector; ++s) {
    out.U32(kFreeSector);
  }
}

void AppendDifat(ByteBuffer& out, const CompoundLayout& layout) {
  std::uint32_t fat = kHeaderDifatEntries;
  for (std::uint32_t d = 0; d < layout.difatSectors; ++d) {
    for (std::uint32_t i = 0; i < kDifatEntriesPerSector; ++i, ++fat) {
      out.U32(fat < layout.fatSectors ? layout.FirstFatSector() + fat : kFreeSector);
    }
    out.U32(d + 1 < layout.difatSectors ? layout.FirstDifatSector() + d + 1 : kEndOfChain);
  }
}

}  // namespace

CompoundLayout PlanCompoundFile(std::uint32_t streamSize) {
  CompoundLayout layout;
  layout.streamSize = streamSize;
  layout.streamSectors = CeilDiv(streamSize, kSectorSize);
  // The FAT also covers its own sectors and the DIFAT's: grow both until
  // they cover everything.
  while (true) {
    const std::uint32_t fat = CeilDiv(layout.SectorCount(), kEntriesPerSector);
    const std::uint32_t difat =
        fat > kHeaderDifatEntries ? CeilDiv(fat - kHeaderDifatEntries, kDifatEntriesPerSector) : 0;
    if (fat == layout.fatSectors && difat == layout.difatSectors) return layout;
    layout.fatSectors = fat;
    layout.difatSectors = difat;
  }
}

void AppendCompoundHeader(ByteBuffer& out, const CompoundLayout& layout) {
  static constexpr std::uint8_t kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  out.Bytes(kSignature);
  out.Zeros(16);    // class id
  out.U16(0x003E);  // minor version
  out.U16(0x0003);  // major version 3: 512-byte sectors
  out.U16(0xFFFE);  // little-endian
  out.U16(9);       // sector size 2^9
  out.U16(6);       // mini sector size 2^6
  out.Zeros(6);
  out.U32(0);  // directory sectors (none counted in version 3)
  out.U32(layout.fatSectors);
  out.U32(layout.DirectorySector());
  out.U32(0);  // transactions unused
  out.U32(kMiniStreamCutoff);
  out.U32(kEndOfChain);  // no mini FAT
  out.U32(0);
  out.U32(layout.difatSectors > 0 ? layout.FirstDifatSector() : kEndOfChain);
  out.U32(layout.difatSectors);
  for (std::uint32_t i = 0; i < kHeaderDifatEntries; ++i) {
    out.U32(i < layout.fatSectors ? layout.FirstFatSector() + i : kFreeSector);
  }
}

void AppendCompoundTail(ByteBuffer& out, const CompoundLayout& layout) {
  AppendDirectory(out, layout);
  AppendFat(out, layout);
  AppendDifat(out, layout);
}

}  // namespace z917::workbook::xls

// The Compound File container read back sector by sector, as a reader
// finds the workbook stream: header, DIFAT chain, FAT, directory, chain.
#include "automation/workbook/xls/compound_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace z917::workbook::xls {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kFree = 0xFFFFFFFF;

std::uint32_t U32(const std::vector<std::uint8_t>& file, std::size_t at) {
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | std::uint32_t{file[at + 3]} << 24;
}

// A whole file: header, the stream (its last sector padded), the tail.
std::vector<std::uint8_t> BuildFile(const std::vector<std::uint8_t>& stream) {
  const CompoundLayout layout = PlanCompoundFile(static_cast<std::uint32_t>(stream.size()));
  ByteBuffer file;
  AppendCompoundHeader(file, layout);
  EXPECT_EQ(file.Size(), kSectorSize);
  file.Bytes(stream);
  file.Zeros((kSectorSize - stream.size() % kSectorSize) % kSectorSize);
  AppendCompoundTail(file, layout);
  return {file.Data(), file.Data() + file.Size()};
}

std::size_t SectorOffset(std::uint32_t sector) { return kSectorSize * (std::size_t{sector} + 1); }

struct Read {
  std::uint32_t fatSectors = 0, difatSectors = 0;
  std::vector<std::uint8_t> stream;
};

// Reads `file` as a reader would, checking every structure on the way.
Read ReadFile(const std::vector<std::uint8_t>& file) {
  Read read;
  EXPECT_EQ(file.size() % kSectorSize, 0u);
  const std::uint32_t sectors = static_cast<std::uint32_t>(file.size() / kSectorSize - 1);
  EXPECT_EQ(U32(file, 0), 0xE011CFD0u);
  EXPECT_EQ(U32(file, 28) & 0xFFFF, 0xFFFEu);
  EXPECT_EQ(U32(file, 30) & 0xFFFF, 9u);  // 512-byte sectors
  EXPECT_EQ(U32(file, 56), kMiniStreamCutoff);
  EXPECT_EQ(U32(file, 60), kEndOfChain);  // no mini FAT
  read.fatSectors = U32(file, 44);
  read.difatSectors = U32(file, 72);

  // The FAT sectors: 109 in the header, the rest along the DIFAT chain.
  std::vector<std::uint32_t> fatSectors;
  for (std::uint32_t i = 0; i < 109 && i < read.fatSectors; ++i)
    fatSectors.push_back(U32(file, 76 + 4 * i));
  for (std::uint32_t i = read.fatSectors; i < 109; ++i) EXPECT_EQ(U32(file, 76 + 4 * i), kFree);
  std::vector<std::uint32_t> difatSectors;
  for (std::uint32_t d = U32(file, 68); d != kEndOfChain; d = U32(file, SectorOffset(d) + 508)) {
    EXPECT_LT(d, sectors);
    if (d >= sectors || difatSectors.size() > read.difatSectors) break;
    difatSectors.push_back(d);
    for (std::uint32_t i = 0; i < 127 && fatSectors.size() < read.fatSectors; ++i) {
      fatSectors.push_back(U32(file, SectorOffset(d) + 4 * i));
    }
  }
  EXPECT_EQ(difatSectors.size(), read.difatSectors);
  EXPECT_EQ(fatSectors.size(), read.fatSectors);

  std::vector<std::uint32_t> fat;
  for (const std::uint32_t s : fatSectors) {
    for (std::uint32_t i = 0; i < 128; ++i) fat.push_back(U32(file, SectorOffset(s) + 4 * i));
  }
  EXPECT_GE(fat.size(), sectors);
  for (const std::uint32_t s : fatSectors) EXPECT_EQ(fat[s], kFatSector);
  for (const std::uint32_t s : difatSectors) EXPECT_EQ(fat[s], kDifatSector);
  for (std::size_t s = sectors; s < fat.size(); ++s) EXPECT_EQ(fat[s], kFree);

  // The directory: the root entry, whose child is "Workbook".
  const std::uint32_t directory = U32(file, 48);
  EXPECT_EQ(fat[directory], kEndOfChain);
  const std::size_t root = SectorOffset(directory);
  const std::size_t entry = root + 128;
  EXPECT_EQ(file[root], 'R');
  EXPECT_EQ(file[root + 66], 5);        // root storage
  EXPECT_EQ(U32(file, root + 76), 1u);  // child: entry 1
  EXPECT_EQ(U32(file, root + 116), kEndOfChain);
  EXPECT_EQ(std::string(file.begin() + entry, file.begin() + entry + 16),
            std::string("W\0o\0r\0k\0b\0o\0o\0k\0", 16));
  EXPECT_EQ(file[entry + 64], 18);  // name length in bytes
  EXPECT_EQ(file[entry + 66], 2);   // stream
  const std::uint32_t size = U32(file, entry + 120);
  EXPECT_EQ(U32(file, entry + 124), 0u);

  std::vector<bool> visited(sectors);
  for (std::uint32_t s = U32(file, entry + 116); s != kEndOfChain; s = fat[s]) {
    EXPECT_LT(s, sectors);
    if (s >= sectors || visited[s]) break;
    visited[s] = true;
    read.stream.insert(read.stream.end(), file.begin() + SectorOffset(s),
                       file.begin() + SectorOffset(s) + kSectorSize);
  }
  EXPECT_GE(read.stream.size(), size);
  read.stream.resize(size);
  return read;
}

std::vector<std::uint8_t> Pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + i / 512);
  return bytes;
}

TEST(CompoundFile, StreamReadsBackThroughFatAndDifatAtEverySize) {
  // 109 FAT sectors cover 13,952 sectors; a 7 MB stream needs a DIFAT
  // sector, past 30,208 sectors a second one.
  struct Case {
    std::size_t size;
    std::uint32_t fat, difat;
  };
  const Case cases[] = {
      {4096, 1, 0},
      {4097, 1, 0},
      {(13952 - 110) * 512, 109, 0},  // the header's 109 just suffice
      {(13952 - 109) * 512, 110, 1},  // one sector more needs a DIFAT
      {7 * 1024 * 1024 + 300, 113, 1},
      {16 * 1024 * 1024, 259, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    const std::vector<std::uint8_t> stream = Pattern(c.size);
    const CompoundLayout layout = PlanCompoundFile(static_cast<std::uint32_t>(c.size));
    EXPECT_EQ(layout.fatSectors, c.fat);
    EXPECT_EQ(layout.difatSectors, c.difat);
    const Read read = ReadFile(BuildFile(stream));
    EXPECT_EQ(read.fatSectors, c.fat);
    EXPECT_EQ(read.difatSectors, c.difat);
    EXPECT_TRUE(read.stream == stream);
  }
}

}  // namespace
}  // namespace z917::workbook::xls

// The .xlsx zip container and its deflate pieces: pieces made apart join
// into one stream, a zip reads back in Python's zipfile and comes out the
// same each time, and a 5 GiB entry gets the ZIP64 records it needs.
#include "automation/workbook/xlsx/zip_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "support/files.h"
#include "support/temp_folder.h"

namespace z917::workbook::xlsx {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string SheetXml(int rows) {
  std::string xml;
  for (int r = 1; r <= rows; ++r) {
    const std::string n = std::to_string(r), v = std::to_string(r * 37 % 1000);
    xml += "<row r=\"" + n + "\"><c r=\"A" + n + "\" s=\"2\"><v>" + v + "</v></c></row>";
  }
  return xml;
}

TEST(DeflateTest, PiecesMadeApartJoinIntoOneStream) {
  const std::string whole = SheetXml(30000);
  const std::string_view parts[] = {std::string_view(whole).substr(0, 300001), "",
                                    std::string_view(whole).substr(300001)};
  Deflater first, second;
  DeflatedPiece pieces[3];
  std::vector<std::uint8_t> stream;
  EntrySizes sizes;
  for (int i = 0; i < 3; ++i) {
    (i == 1 ? second : first).Compress(Bytes(parts[i]), pieces[i]);
    std::string back;
    Inflate(pieces[i], back);
    EXPECT_EQ(back, parts[i]);
    stream.insert(stream.end(), pieces[i].bytes.begin(), pieces[i].bytes.end());
    AddPiece(sizes, pieces[i]);
  }
  stream.insert(stream.end(), FinalBlock().begin(), FinalBlock().end());
  AddFinalBlock(sizes);
  std::string inflated(whole.size() + 1, '\0');  // by zlib itself, to the stream's end
  z_stream z{};
  z.next_in = stream.data();
  z.avail_in = static_cast<uInt>(stream.size());
  z.next_out = reinterpret_cast<Bytef*>(inflated.data());
  z.avail_out = static_cast<uInt>(inflated.size());
  inflateInit2(&z, -15);
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  EXPECT_EQ(inflated.substr(0, z.total_out) + std::to_string(z.avail_in), whole + "0");
  inflateEnd(&z);
  EXPECT_EQ(sizes.crc, crc32(0, Bytes(whole).data(), static_cast<uInt>(whole.size())));
  EXPECT_EQ(sizes.raw, whole.size());
  EXPECT_EQ(sizes.compressed, stream.size());
  EntrySizes big{0x12345678};  // a piece past what zlib takes at once on Windows
  AddPiece(big, 0x9ABCDEF0, 1, std::uint64_t{5} << 30);
  // zlib's crc32_combine with a 64-bit z_off_t; Windows' 32-bit one cannot
  // be asked.
  EXPECT_EQ(big.crc, 2366631334u);

  DeflatedPiece again;  // a used stream gives the same bytes as a new one
  second.Compress(Bytes(parts[0]), again);
  EXPECT_EQ(again.bytes, pieces[0].bytes);
  again.bytes[again.bytes.size() / 2] ^= 0x55;
  EXPECT_THROW(Inflate(again, inflated), std::runtime_error);
  pieces[2].bytes.resize(pieces[2].bytes.size() - 4);  // without the sync flush's end
  EXPECT_THROW(Inflate(pieces[2], inflated), std::runtime_error);
}

// Counts every byte; keeps the appends up to `keep` bytes long, by offset.
struct TestSink {
  std::size_t keep = SIZE_MAX;
  std::uint64_t size = 0;
  std::map<std::uint64_t, std::vector<std::uint8_t>> kept;
  void Append(std::span<const std::uint8_t> b) {
    if (b.size() <= keep) kept[size].assign(b.begin(), b.end());
    size += b.size();
  }
  std::uint64_t Size() const { return size; }
  std::uint64_t At(std::uint64_t at, int bytes) const {  // a little-endian field
    const auto& [start, data] = *std::prev(kept.upper_bound(at));
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | data.at(at - start + i);
    return v;
  }
};

void WriteSample(ZipSink sink, const std::string& sheet) {
  ZipWriter zip(sink, 1700000001);  // 2023-11-14 22:13:21 UTC
  Deflater deflater;
  zip.AddWhole("[Content_Types].xml", "<Types/>", deflater);
  DeflatedPiece pieces[2];
  EntrySizes sizes;
  for (int i = 0; i < 2; ++i) {
    deflater.Compress(i == 0 ? Bytes(sheet).first(1000) : Bytes(sheet).subspan(1000), pieces[i]);
    AddPiece(sizes, pieces[i]);
  }
  AddFinalBlock(sizes);
  zip.BeginEntry("xl/worksheets/sheet1.xml", sizes);
  for (const DeflatedPiece& piece : pieces) zip.Write(piece.bytes);
  zip.Write(FinalBlock());
  zip.EndEntry();
  zip.AddWhole("xl/Продажі.xml", "", deflater);
  zip.Finish();
}

TEST(ZipWriterTest, PythonReadsTheZipAndItIsTheSameEachTime) {
  if (!std::filesystem::exists("/usr/bin/python3")) GTEST_SKIP() << "no Python here";
  const test::TempFolder dir{"z917_zip_writer"};
  const std::string sheet = SheetXml(2000), path = test::Utf8(dir / "sample.xlsx");
  platform::AtomicFile file(path, true);
  WriteSample(file, sheet);
  file.Commit();
  TestSink memory;
  WriteSample(memory, sheet);
  std::string expected;
  for (const auto& [at, bytes] : memory.kept) expected.append(bytes.begin(), bytes.end());
  EXPECT_EQ(test::ReadFile(path), expected);
#ifdef _WIN32
  // popen runs cmd.exe there, which starts no Python of the build machine.
  GTEST_SKIP() << "Python reads the zip on the build machine";
#endif

  const std::string script =
      "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\nprint(z.testzip())\n"
      "for i in z.infolist(): print(i.filename, len(z.read(i)), i.compress_type, i.date_time,"
      " i.flag_bits, i.create_version, i.extract_version, i.external_attr, len(i.extra))";
  FILE* pipe = ::popen(("/usr/bin/python3 -c '" + script + "' " + path + " 2>&1").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output(4096, '\0');
  output.resize(std::fread(output.data(), 1, output.size(), pipe));
  ::pclose(pipe);
  const std::string same = " 8 (2023, 11, 14, 22, 13, 20) ", classic = " 20 20 0 0\n";
  EXPECT_EQ(output, "None\n[Content_Types].xml 8" + same + "0" + classic +
                        "xl/worksheets/sheet1.xml " + std::to_string(sheet.size()) + same + "0" +
                        classic + "xl/Продажі.xml 0" + same + "2048" + classic);
}

TEST(ZipWriterTest, Zip64FieldsWhereSizesAndOffsetsNeedThem) {
  TestSink sink;
  sink.keep = 4096;
  ZipWriter zip(sink, 0);  // before 1980: 1980-01-01 00:00
  const std::uint64_t gib = std::uint64_t{1} << 30, local2 = 74 + 5 * gib;
  zip.BeginEntry("xl/worksheets/sheet1.xml", {0x12345678, 5 * gib, 6 * gib});
  const std::vector<std::uint8_t> chunk(1 << 20);
  for (std::uint64_t sent = 0; sent < 5 * gib; sent += chunk.size()) zip.Write(chunk);
  EXPECT_THROW(zip.Write(chunk), std::logic_error);  // past the declared size
  zip.EndEntry();
  Deflater deflater;
  zip.AddWhole("docProps/app.xml", "<Properties/>", deflater);  // at an offset past 4 GiB
  zip.Finish();
  const std::uint64_t end = sink.size - 22, end64 = sink.At(end - 12, 8);
  const std::uint64_t cd = sink.At(end64 + 48, 8), c2 = cd + 90, sizes2 = sink.At(local2 + 18, 8);
  struct Field {
    std::uint64_t at;
    int bytes;
    std::uint64_t value;
  };
  // Local headers, version 4.5: the first with both sizes at their limit
  // and in its ZIP64 field; the second, ZIP64 by its offset, without one.
  const Field local[] = {{0, 4, 0x04034B50},      {4, 4, 45},          {10, 4, 0x00210000},
                         {14, 4, 0x12345678},     {18, 8, ~0ull},      {28, 2, 20},
                         {54, 4, 0x00100001},     {58, 8, 6 * gib},    {66, 8, 5 * gib},
                         {local2, 4, 0x04034B50}, {local2 + 4, 4, 45}, {local2 + 28, 2, 0}};
  // The central directory (cd): 4.5 made by and needed; the first entry's
  // sizes, the second's offset in ZIP64 fields.
  const Field central[] = {{cd, 8, 0x002D002D02014B50},
                           {cd + 20, 8, ~0ull},
                           {cd + 30, 2, 20},
                           {cd + 42, 4, 0},
                           {cd + 70, 4, 0x00100001},
                           {cd + 74, 8, 6 * gib},
                           {cd + 82, 8, 5 * gib},
                           {c2, 8, 0x002D002D02014B50},
                           {c2 + 20, 8, sizes2},
                           {c2 + 30, 2, 12},
                           {c2 + 42, 4, ~0u},
                           {c2 + 62, 4, 0x00080001},
                           {c2 + 66, 8, local2}};
  // The end record at its limits, the locator, the ZIP64 end record.
  const Field ends[] = {
      {end, 4, 0x06054B50},   {end + 8, 4, 0x00020002},  {end + 12, 4, end64 - cd},
      {end + 16, 4, ~0u},     {end - 20, 4, 0x07064B50}, {end - 4, 4, 1},
      {end64, 4, 0x06064B50}, {end64 + 4, 8, 44},        {end64 + 12, 4, 0x002D002D},
      {end64 + 24, 8, 2},     {end64 + 32, 8, 2},        {end64 + 40, 8, end64 - cd}};
  const auto check = [&](std::span<const Field> fields) {
    for (const Field& f : fields) EXPECT_EQ(sink.At(f.at, f.bytes), f.value) << "at " << f.at;
  };
  check(local);
  check(central);
  check(ends);
  TestSink scrap;
  ZipWriter unfinished(scrap, 0);
  unfinished.BeginEntry("a", {0, 3, 0});
  EXPECT_THROW(unfinished.EndEntry(), std::logic_error);  // 3 bytes declared, none written
}

}  // namespace
}  // namespace z917::workbook::xlsx

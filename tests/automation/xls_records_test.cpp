// BIFF8 records as a reader takes them apart: bodies cut into CONTINUE
// records, and the shared string table with strings broken across them.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "automation/workbook/xls/biff_record.h"
#include "automation/workbook/xls/sst_writer.h"

namespace z917::workbook::xls {
namespace {

struct Record {
  std::uint16_t type;
  std::size_t offset;  // of the header in the buffer
  std::vector<std::uint8_t> body;
};

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) { return U16(p) | std::uint32_t{U16(p + 2)} << 16; }

std::vector<Record> Records(const ByteBuffer& buffer) {
  std::vector<Record> records;
  const std::uint8_t* data = buffer.Data();
  for (std::size_t at = 0; at < buffer.Size();) {
    const std::uint16_t length = U16(data + at + 2);
    records.push_back({U16(data + at), at, {data + at + 4, data + at + 4 + length}});
    at += 4 + length;
  }
  return records;
}

TEST(XlsRecords, LongBodyIsCutIntoContinueRecordsOfTheLargestSize) {
  ByteBuffer buffer;
  RecordWriter records(buffer);
  records.Record(rt::kDateMode, [](ByteBuffer& out) { out.U16(0); });
  std::vector<std::uint8_t> body(20000);
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<std::uint8_t>(i * 7);
  records.Begin(rt::kFormat);
  buffer.Bytes(body);
  records.End();
  records.Record(rt::kEof, [](ByteBuffer&) {});

  const std::vector<Record> seen = Records(buffer);
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].type, rt::kDateMode);
  EXPECT_EQ(seen[0].body, std::vector<std::uint8_t>(2, 0));
  const std::uint16_t types[] = {rt::kFormat, rt::kContinue, rt::kContinue};
  const std::size_t sizes[] = {8224, 8224, 3552};
  std::vector<std::uint8_t> joined;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(seen[1 + i].type, types[i]);
    EXPECT_EQ(seen[1 + i].body.size(), sizes[i]);
    joined.insert(joined.end(), seen[1 + i].body.begin(), seen[1 + i].body.end());
  }
  EXPECT_EQ(joined, body);
  EXPECT_EQ(seen[4].type, rt::kEof);
  EXPECT_TRUE(seen[4].body.empty());
}

// Reads an SST the way Excel does: a string's length and flags (and its
// first character) in one record; where its characters run past the end
// of a record, the next one starts with a flags byte of its own. Fails
// the test on any breach; returns the strings and where each one starts
// (stream offset of its header, record offset of its header).
struct SstSeen {
  std::uint32_t references = 0;
  std::vector<std::u16string> strings;
  std::vector<std::pair<std::size_t, std::size_t>> starts;
  int splits = 0;
  std::vector<std::uint8_t> extSst;
};

SstSeen ReadSst(const ByteBuffer& buffer) {
  SstSeen seen;
  const std::vector<Record> records = Records(buffer);
  EXPECT_EQ(records.front().type, rt::kSst);
  std::size_t r = 0;
  std::size_t at = 8;
  seen.references = U32(records[0].body.data());
  const std::uint32_t unique = U32(records[0].body.data() + 4);
  for (std::uint32_t s = 0; s < unique; ++s) {
    if (at == records[r].body.size()) {
      ++r, at = 0;
      EXPECT_EQ(records[r].type, rt::kContinue);
    }
    const std::vector<std::uint8_t>* body = &records[r].body;
    EXPECT_LE(at + 3, body->size()) << "string " << s << ": header split";
    seen.starts.emplace_back(records[r].offset + 4 + at, 4 + at);
    std::size_t left = U16(body->data() + at);
    bool wide = (*body)[at + 2] & 1;
    at += 3;
    if (left > 0) {
      EXPECT_LE(at + (wide ? 2 : 1), body->size()) << "string " << s << ": first character split";
    }
    std::u16string text;
    while (left > 0) {
      if (at == body->size()) {
        ++r, at = 0, ++seen.splits;
        EXPECT_EQ(records[r].type, rt::kContinue);
        body = &records[r].body;
        wide = (*body)[at++] & 1;  // the repeated flags byte
      }
      text.push_back(wide ? U16(body->data() + at) : (*body)[at]);
      at += wide ? 2 : 1;
      --left;
    }
    seen.strings.push_back(text);
  }
  EXPECT_EQ(at, records[r].body.size()) << "bytes after the last string";
  for (const Record& record : records) EXPECT_LE(record.body.size(), kMaxRecordBody);
  EXPECT_EQ(records.size(), r + 2);
  EXPECT_EQ(records.back().type, rt::kExtSst);
  seen.extSst = records.back().body;
  return seen;
}

ByteBuffer WriteSst(const std::vector<std::u16string>& strings, std::uint32_t references) {
  ByteBuffer buffer;
  SstWriter sst(buffer, 0, references, static_cast<std::uint32_t>(strings.size()));
  for (const auto& s : strings) sst.Add(s);
  sst.Finish();
  return buffer;
}

TEST(XlsSst, AStringWhoseHeaderAndFirstCharacterDoNotFitStartsTheNextRecord) {
  // 8 bytes of counts, then one string that leaves exactly 3 bytes: room
  // for a header but not for a first character.
  const std::u16string first(8224 - 8 - 3 - 3, u'a');
  for (const std::u16string& next : {std::u16string(u"b"), std::u16string(u"Ж")}) {
    const SstSeen seen = ReadSst(WriteSst({first, next, u"c"}, 3));
    ASSERT_EQ(seen.strings.size(), 3u);
    EXPECT_EQ(seen.strings[1], next);
    EXPECT_EQ(seen.starts[1].second, 4u);  // the header opens the CONTINUE record
    EXPECT_EQ(seen.splits, 0);
  }
  // With four bytes left a one-byte string starts in place and breaks
  // after its first character.
  const SstSeen seen = ReadSst(WriteSst({std::u16string(8224 - 8 - 3 - 4, u'a'), u"bcd"}, 2));
  EXPECT_EQ(seen.strings[1], u"bcd");
  EXPECT_EQ(seen.starts[1].second, 4u + 8 + 3 + 8224 - 8 - 3 - 4);
  EXPECT_EQ(seen.splits, 1);
}

TEST(XlsSst, ThousandsOfMixedStringsReadBackWholeAndExtsstPointsAtThem) {
  std::mt19937 random(917);
  std::vector<std::u16string> strings;
  for (int i = 0; i < 3000; ++i) {
    const std::size_t length = random() % 7 == 0 ? random() % 20000 : random() % 40;
    const bool wide = random() % 2;
    std::u16string text;
    for (std::size_t k = 0; k < length; ++k) {
      text.push_back(static_cast<char16_t>(wide ? 0x410 + random() % 64 : 0x20 + random() % 0xD0));
    }
    strings.push_back(text);
  }
  const ByteBuffer buffer = WriteSst(strings, 12345);
  const SstSeen seen = ReadSst(buffer);
  EXPECT_EQ(seen.references, 12345u);
  EXPECT_TRUE(seen.strings == strings);
  EXPECT_GT(seen.splits, 100);

  // EXTSST: strings per bucket, then for every bucket's first string its
  // stream offset and its offset in its record.
  const std::uint16_t perBucket = U16(seen.extSst.data());
  EXPECT_EQ(perBucket, SstWriter::StringsPerBucket(3000));
  EXPECT_EQ(perBucket, 24);  // 3000 strings in no more than 128 buckets
  ASSERT_EQ(seen.extSst.size(), 2 + 8 * ((strings.size() + perBucket - 1) / perBucket));
  for (std::size_t b = 0; b * perBucket < strings.size(); ++b) {
    const std::uint8_t* entry = seen.extSst.data() + 2 + 8 * b;
    EXPECT_EQ(U32(entry), seen.starts[b * perBucket].first) << "bucket " << b;
    EXPECT_EQ(U16(entry + 4), seen.starts[b * perBucket].second) << "bucket " << b;
  }
}

TEST(XlsSst, StringsPerBucketIsExcelsCountAtTheBoundaries) {
  EXPECT_EQ(SstWriter::StringsPerBucket(0), 8);
  EXPECT_EQ(SstWriter::StringsPerBucket(1023), 8);
  EXPECT_EQ(SstWriter::StringsPerBucket(1024), 9);  // a multiple of 128 gets one more
  EXPECT_EQ(SstWriter::StringsPerBucket(1280), 11);
  EXPECT_EQ(SstWriter::StringsPerBucket(0xFFFFFFFFu), 0xFFFF);  // the field's 16 bits
}

TEST(XlsSst, EmptyTableHasItsCountsAndAnExtsstWithoutBuckets) {
  const SstSeen seen = ReadSst(WriteSst({}, 0));
  EXPECT_TRUE(seen.strings.empty());
  EXPECT_EQ(seen.extSst, (std::vector<std::uint8_t>{8, 0}));
}

}  // namespace
}  // namespace z917::workbook::xls

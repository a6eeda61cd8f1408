#include "journal/packet_cursor.h"

#include <gtest/gtest.h>

#include <memory>

namespace z917::journal {
namespace {

class PacketCursorTest : public ::testing::Test {
 protected:
  void Put(std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    for (const auto b : bytes) (*buffer)[at++] = b;
  }
  std::unique_ptr<PacketBuffer> buffer = std::make_unique<PacketBuffer>();
};

TEST_F(PacketCursorTest, CursorReadsLittleEndianAndAdvancesByWidth) {
  Put(0,
      {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x15, 0x03, 0x00, 0x24, 0x1E, 0x00, 0x00, 0x80});
  PacketCursor c(*buffer, 15);
  EXPECT_EQ(c.ReadU8(), 0x01);
  EXPECT_EQ(c.ReadU16(), 0x1234);
  EXPECT_EQ(c.ReadU32(), 0x12345678u);
  EXPECT_EQ(c.Position(), 7u);
  EXPECT_EQ(c.ReadU64(), 0x8000001E24000315ull);
  EXPECT_EQ(c.Position(), 15u);
}

TEST_F(PacketCursorTest, CursorReadsZerosBehindTheBodyEnd) {
  // What an earlier, longer packet left behind the body must not show.
  Put(0, {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x11, 0x22});
  PacketCursor c(*buffer, 2);
  EXPECT_EQ(c.ReadU32(), 0x0000BBAAu);  // straddles the end
  EXPECT_EQ(c.ReadU64(), 0u);
  EXPECT_EQ(c.Position(), 12u);
  EXPECT_FALSE(c.InBody());
}

TEST_F(PacketCursorTest, CursorNeverReadsPastTheBuffer) {
  (*buffer)[kPacketBufferSize - 1] = 0x41;
  PacketCursor c(*buffer, kPacketBufferSize + 100);  // clamped
  c.SetPosition(kPacketBufferSize - 1);
  EXPECT_EQ(c.ReadU16(), 0x0041);
  c.SetPosition(UINT32_MAX - 1);
  EXPECT_EQ(c.ReadU64(), 0u);
  EXPECT_EQ(c.Position(), UINT32_MAX);  // saturates instead of wrapping to the start
}

TEST_F(PacketCursorTest, ReadStringCopiesUpToTheZeroAndStepsOverIt) {
  Put(16, {'a', 'b', 'c', 0, 0, 'x', 0});
  PacketCursor c(*buffer, 23);
  c.SetPosition(16);
  char first[8];
  char empty[8];
  char last[8];
  c.ReadString(first, sizeof first);
  c.ReadString(empty, sizeof empty);
  c.ReadString(last, sizeof last);
  EXPECT_STREQ(first, "abc");
  EXPECT_STREQ(empty, "");  // a lone zero byte takes one byte
  EXPECT_STREQ(last, "x");
  EXPECT_EQ(c.Position(), 23u);
}

TEST_F(PacketCursorTest, ReadStringTruncatesALongTextButConsumesAllOfIt) {
  Put(0, {'1', '2', '3', '4', '5', '6', 0, 0x7F});
  PacketCursor c(*buffer, 8);
  char dest[4] = {'#', '#', '#', '#'};
  c.ReadString(dest, sizeof dest);
  EXPECT_STREQ(dest, "123");
  EXPECT_EQ(c.Position(), 7u);  // the next field starts after the zero byte
  EXPECT_EQ(c.ReadU8(), 0x7F);
}

TEST_F(PacketCursorTest, ReadStringWithoutZeroEndsAtTheBodyEnd) {
  Put(0, {'a', 'b', 'c', 'd', 'e'});
  PacketCursor c(*buffer, 3);
  char dest[32];
  c.ReadString(dest, sizeof dest);
  EXPECT_STREQ(dest, "abc");
  EXPECT_EQ(c.Position(), 4u);
}

}  // namespace
}  // namespace z917::journal

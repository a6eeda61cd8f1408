#include "automation/variant.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace z917::automation {
namespace {

TEST(Variant, EveryIntegerTypeKeepsItsWidthAndSignedness) {
  // long is 64 bits on Linux and 32 on Windows: both must pick the kind of
  // their own width, without an ambiguous call on either system.
  constexpr VariantKind kLongKind = sizeof(long) == 8 ? VariantKind::Int64 : VariantKind::Int32;
  EXPECT_EQ(Variant(-5L).Kind(), kLongKind);
  EXPECT_EQ(Variant(-5L).AsInteger(), -5);
  EXPECT_EQ(Variant(-5LL).Kind(), VariantKind::Int64);
  EXPECT_EQ(Variant(std::int64_t{-1} << 40).AsInteger(), std::int64_t{-1} << 40);
  EXPECT_EQ(Variant(-5).Kind(), VariantKind::Int32);
  EXPECT_EQ(Variant(5u).Kind(), VariantKind::UInt32);
  EXPECT_EQ(Variant(short{-2}).Kind(), VariantKind::Int16);
  EXPECT_EQ(Variant(std::uint16_t{2}).Kind(), VariantKind::UInt16);
  EXPECT_EQ(Variant(std::int8_t{-1}).Kind(), VariantKind::Int8);
  EXPECT_EQ(Variant(std::uint8_t{255}).AsInteger(), 255);
  EXPECT_EQ(Variant(true).Kind(), VariantKind::Bool);
  EXPECT_EQ(Variant(2.5).Kind(), VariantKind::Double);
}

TEST(Variant, EqualValuesOfOneTypeCompareEqualWhateverTheSpelling) {
  EXPECT_EQ(Variant(std::int64_t{9}), Variant(9LL));
  EXPECT_EQ(Variant(std::int32_t{9}), Variant(9));
  EXPECT_NE(Variant(std::int32_t{9}), Variant(std::int64_t{9}));  // the kind is part of the value
}

}  // namespace
}  // namespace z917::automation

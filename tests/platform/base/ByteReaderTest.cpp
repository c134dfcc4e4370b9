// The bounded readers every decoder goes through.

#include "platform/base/ByteReader.h"
// An icon directory entry stands for every on-disk record.
#include "platform/extract/IconRecords.h"

#include <gtest/gtest.h>

#include <vector>

using namespace orbisk;

namespace {
using Bytes = std::vector<uint8_t>;
} // namespace

TEST(ByteReader, RangesFitExactlyAndNotOneByteMore)
{
    EXPECT_TRUE(CheckedRange(0, 10, 10));
    EXPECT_TRUE(CheckedRange(10, 0, 10));
    EXPECT_FALSE(CheckedRange(1, 10, 10));
    EXPECT_FALSE(CheckedRange(11, 0, 10));
    EXPECT_FALSE(CheckedRange(UINT64_MAX, 2, 10));
    EXPECT_FALSE(CheckedRange(2, UINT64_MAX, 10));
    EXPECT_FALSE(CheckedRange(UINT32_MAX, UINT32_MAX, UINT32_MAX));

    const Bytes data { 1, 2, 3, 4, 5, 6, 7, 8 };
    const ByteReader r(data);
    EXPECT_EQ(*r.U32(4), 0x08070605u);
    EXPECT_FALSE(r.U32(5));
    EXPECT_EQ(*r.U16(6), 0x0807u);
    EXPECT_FALSE(r.U16(7));
    EXPECT_EQ(*r.U32BigEndian(0), 0x01020304u);
    EXPECT_FALSE(r.U8(UINT32_MAX));
    EXPECT_EQ(r.Bytes(8, 0)->size(), 0u);
    EXPECT_FALSE(r.Bytes(0, 9));
    EXPECT_FALSE(r.Sub(1, UINT64_MAX));
    EXPECT_EQ(*r.Sub(2, 4)->U8(3), 6);
}

TEST(ByteReader, RecordsDecodeLittleEndianFieldByField)
{
    const Bytes entry { 48, 0, 16, 0, 1, 0, 4, 0, 0x10, 0x20, 0, 0, 0x16, 0, 0, 0x80 };
    auto e = ByteReader(entry).Record<IconDirEntry>(0);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->width, 48);
    EXPECT_EQ(e->height, 0);
    EXPECT_EQ(e->colorCount, 16);
    EXPECT_EQ(e->bitCount, 4);
    EXPECT_EQ(e->bytesInRes, 0x2010u);
    EXPECT_EQ(e->imageOffset, 0x80000016u);
    EXPECT_FALSE(ByteReader(entry).Record<IconDirEntry>(1));
}

namespace {

// Record decoders out of step with their sizes.
struct ReadsTooFar {
    static constexpr uint64_t size = 2;
    static constexpr Result<ReadsTooFar> Decode(FieldCursor& c) { return (c.U32(), ReadsTooFar {}); }
};
struct StopsShort {
    static constexpr uint64_t size = 8;
    static constexpr Result<StopsShort> Decode(FieldCursor& c) { return (c.U32(), c.Skip(3), StopsShort {}); }
};
static_assert(!DecodesExactlyItsSize<ReadsTooFar>());
static_assert(!DecodesExactlyItsSize<StopsShort>());

} // namespace

TEST(ByteReader, FieldsPastTheRecordAreNeverRead)
{
    // The record is the first 3 bytes; the bytes after it belong to
    // something else and must not show through.
    const Bytes data { 1, 2, 3, 4, 5, 6 };
    const auto record = std::span<const uint8_t>(data).first(3);
    FieldCursor cursor(record);
    EXPECT_EQ(cursor.U32(), 0x030201u);
    EXPECT_FALSE(cursor.ReadExactly());
    FieldCursor skipping(record);
    skipping.U8();
    skipping.Skip(SIZE_MAX); // would wrap round to the first byte
    EXPECT_EQ(skipping.U8(), 0);
    EXPECT_FALSE(skipping.ReadExactly());
    FieldCursor exact(record);
    exact.U16(), exact.Skip(1);
    EXPECT_TRUE(exact.ReadExactly());
}

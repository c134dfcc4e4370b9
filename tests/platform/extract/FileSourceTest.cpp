// The file reader every decoder of a file on disk goes through.

#include "platform/extract/FileSource.h"
#include "platform/files/RegularFile.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace orbisk;
using namespace orbisk::test;

TEST(FileSource, ReadsWithinTheFileAcrossBlocks)
{
    TempDir dir;
    Bytes data(3 * BlockCache::kBlockSize + 100);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 7);
    const std::string path = dir.Write("data", data);
    auto file = RegularFile::Open(path);
    ASSERT_TRUE(file);
    BlockCache cache;
    FileSource source(file->Descriptor(), file->Size(), cache);
    // Across a block boundary, to the last byte, one byte past it.
    auto across = source.Read(BlockCache::kBlockSize - 3, 6);
    ASSERT_TRUE(across);
    EXPECT_EQ(*across, Bytes(data.begin() + BlockCache::kBlockSize - 3, data.begin() + BlockCache::kBlockSize + 3));
    EXPECT_TRUE(source.Read(data.size() - 10, 10));
    EXPECT_FALSE(source.Read(data.size() - 10, 11));
    EXPECT_FALSE(source.Read(UINT64_MAX, 1));
    auto peek = source.Peek(2 * BlockCache::kBlockSize + 1, 4);
    ASSERT_TRUE(peek);
    EXPECT_EQ((*peek)[0], data[2 * BlockCache::kBlockSize + 1]);
    auto big = source.Read(1, data.size() - 1);
    ASSERT_TRUE(big);
    EXPECT_EQ(*big, Bytes(data.begin() + 1, data.end()));
    // The file shrinks under the open descriptor: a part not read before is
    // an error, never made-up bytes.
    ASSERT_EQ(::truncate(path.c_str(), 100), 0);
    EXPECT_FALSE(source.Read(2 * BlockCache::kBlockSize + 10, 50));
    EXPECT_FALSE(source.Read(200, 3 * BlockCache::kBlockSize));
}

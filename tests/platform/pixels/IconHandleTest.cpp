#include "platform/pixels/IconHandle.h"

#include <gtest/gtest.h>

using namespace orbisk;

namespace {
IconData Blank(int w, int h)
{
    IconData d;
    d.width = w;
    d.height = h;
    d.color.assign(std::size_t(w) * std::size_t(h), 0xff000000u);
    d.mask.assign(std::size_t(IconData::MaskStride(w)) * std::size_t(h), 0);
    return d;
}
}

TEST(IconHandle, CountsEveryHandleUntilDestroyedOnce)
{
    const long before = LiveIconCount();
    HICON a = CreateIcon(Blank(32, 32));
    HICON b = CreateIcon(Blank(33, 1));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(LiveIconCount(), before + 2);
    EXPECT_TRUE(DestroyIcon(a));
    {
        UniqueIcon owned(b);
    }
    EXPECT_EQ(LiveIconCount(), before);
    EXPECT_FALSE(DestroyIcon(nullptr));
}

TEST(IconHandle, RefusesInconsistentImages)
{
    IconData d = Blank(32, 32);
    d.mask.pop_back();
    EXPECT_EQ(CreateIcon(d), nullptr);
    EXPECT_EQ(CreateIcon(Blank(0, 32)), nullptr);
}

TEST(IconHandle, MaskRowsArePaddedToWholeDwordsAsInADib)
{
    // 33 x 2: pixel 32 of the top row and pixel 0 of the next are see-through.
    // A row takes 8 bytes, not 5 (whole bytes) or 6 (whole words).
    IconData d = Blank(33, 2);
    d.mask = { 0, 0, 0, 0, 0x80, 0, 0, 0, /* next row */ 0x80, 0, 0, 0, 0, 0, 0, 0 };
    EXPECT_TRUE(d.MaskBit(32, 0));
    EXPECT_TRUE(d.MaskBit(0, 1));
    EXPECT_FALSE(d.MaskBit(0, 0));
    EXPECT_FALSE(d.MaskBit(32, 1));
    UniqueIcon icon(CreateIcon(d));
    EXPECT_NE(icon, nullptr);
    d.mask.resize(2 * 5);
    EXPECT_EQ(CreateIcon(d), nullptr);
}

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

// Icons of one picture share one image: each handle is a reference that
// counts, and the image lives while any of them does.
TEST(IconHandle, IdenticalPicturesShareOneImageCountedPerHandle)
{
    const long handles = LiveIconCount();
    const long images = SharedIconImageCount();
    IconData picture = Blank(32, 32);
    picture.color[5] = 0xff123456u;
    UniqueIcon a(CreateIcon(picture));
    UniqueIcon b(CreateIcon(picture));
    UniqueIcon copy(CopyIcon(a.get()));
    IconData monochrome = picture;
    monochrome.monochrome = true;
    IconData masked = picture;
    masked.mask[0] = 0x80;
    UniqueIcon c(CreateIcon(monochrome));
    UniqueIcon d(CreateIcon(masked));
    EXPECT_EQ(a.get(), b.get());
    EXPECT_EQ(a.get(), copy.get());
    EXPECT_NE(a.get(), c.get()) << "a monochrome source is another icon";
    EXPECT_NE(a.get(), d.get()) << "so is another mask";
    EXPECT_EQ(LiveIconCount(), handles + 5);
    EXPECT_EQ(SharedIconImageCount(), images + 3);

    a.reset();
    copy.reset();
    EXPECT_EQ(LiveIconCount(), handles + 3);
    EXPECT_EQ(b->Pixel(5, 0), 0xff123456u) << "the last reference keeps the image";
    b.reset();
    EXPECT_EQ(SharedIconImageCount(), images + 2);
    // Made again once gone: a new image, counted from one.
    UniqueIcon again(CreateIcon(picture));
    EXPECT_EQ(again->Pixel(5, 0), 0xff123456u);
    EXPECT_EQ(SharedIconImageCount(), images + 3);
}

// Two different pictures with one hash are told apart by the full compare.
TEST(IconHandle, PicturesWhoseHashesCollideStayApart)
{
    // Back to XXH3 whatever way the test ends.
    struct ForcedHash {
        ForcedHash() { SetIconHashFunction([](const IconData&) { return uint64_t(7); }); }
        ~ForcedHash() { SetIconHashFunction(nullptr); }
    } forced;
    IconData one = Blank(32, 32), two = Blank(32, 32);
    two.color.back() = 0xffffffffu;
    {
        UniqueIcon a(CreateIcon(one));
        UniqueIcon b(CreateIcon(two));
        UniqueIcon c(CreateIcon(two));
        EXPECT_NE(a.get(), b.get());
        EXPECT_EQ(b.get(), c.get());
        EXPECT_EQ(a->Pixel(31, 31), 0xff000000u);
        EXPECT_EQ(b->Pixel(31, 31), 0xffffffffu);
        b.reset();
        c.reset();
        // The image left under that hash is still found.
        UniqueIcon d(CreateIcon(one));
        EXPECT_EQ(a.get(), d.get());
    }
}

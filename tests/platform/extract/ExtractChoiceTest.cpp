// Which image of a group becomes the icon, and how it is scaled.

#include "platform/extract/ExtractIcon.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

PixelFn Solid(uint32_t argb)
{
    return [argb](int, int) { return argb; };
}

ImageSpec Sized(int size, int bits, uint32_t color)
{
    return ImageSpec { .width = size, .height = size, .bits = bits, .pixel = Solid(color) };
}

// The size, depth and colour of the image the icon was made from.
struct Chosen {
    int size = 0;
    int bits = 0;
    uint32_t color = 0;
};

Chosen ChosenFrom(const TempDir& dir, const std::vector<ImageSpec>& images)
{
    const std::string path = dir.Write("choice.ico", IcoFile(images));
    IconSourceInfo info;
    UniqueIcon icon = ExtractIconDetailed(path, 0, &info);
    if (!icon)
        return {};
    return { info.width, info.bits, icon->Pixel(16, 16) };
}

} // namespace

TEST(ExtractChoice, ExactSizeThenNearestLargerOnTieThenDeepest)
{
    TempDir dir;
    // The exact size wins over deeper images of other sizes; among exact
    // images the deepest.
    Chosen c = ChosenFrom(dir, { Sized(48, 32, 0xff000001), Sized(32, 4, 0xff000080), Sized(32, 8, 0xff000003),
                                 Sized(16, 32, 0xff000004) });
    EXPECT_EQ(c.size, 32);
    EXPECT_EQ(c.bits, 8);
    EXPECT_EQ(c.color, 0xff000003u);
    // No exact size: 24 and 40 are equally near, the larger wins.
    c = ChosenFrom(dir, { Sized(24, 32, 0xff000001), Sized(40, 8, 0xff000002) });
    EXPECT_EQ(c.size, 40);
    // 16 and 48 are equally near as well.
    c = ChosenFrom(dir, { Sized(16, 32, 0xff000001), Sized(48, 4, 0xff000080) });
    EXPECT_EQ(c.size, 48);
    // The nearer one wins whatever its depth.
    c = ChosenFrom(dir, { Sized(48, 32, 0xff000001), Sized(20, 1, 0xffffffff) });
    EXPECT_EQ(c.size, 20);
    EXPECT_EQ(c.bits, 1);
}

TEST(ExtractChoice, PngCountsAsThirtyTwoBits)
{
    TempDir dir;
    ImageSpec png = Sized(32, 32, 0xff00ff00);
    png.png = true;
    Chosen c = ChosenFrom(dir, { Sized(32, 24, 0xff0000ff), png });
    EXPECT_EQ(c.bits, 32);
    EXPECT_EQ(c.color, 0xff00ff00u);
    // Equal in every way: the first in the directory.
    c = ChosenFrom(dir, { Sized(32, 32, 0xff0000ff), png });
    EXPECT_EQ(c.color, 0xff0000ffu);
    // A 256 x 256 PNG alone is scaled down.
    ImageSpec big = Sized(256, 32, 0xffff0000);
    big.png = true;
    c = ChosenFrom(dir, { big });
    EXPECT_EQ(c.size, 256);
    EXPECT_EQ(c.color, 0xffff0000u);
}

TEST(ExtractChoice, BrokenBestImageGivesWayToTheNext)
{
    TempDir dir;
    ImageSpec broken = Sized(32, 32, 0xff0000ff);
    broken.encoded = std::make_shared<Bytes>(Bytes(100, 0xee));
    Chosen c = ChosenFrom(dir, { broken, Sized(48, 8, 0xff00ff00) });
    EXPECT_EQ(c.size, 48);
    EXPECT_EQ(c.color, 0xff00ff00u);
    // A PNG entry whose data is not a PNG after its header.
    ImageSpec png = Sized(32, 32, 0xff0000ff);
    png.png = true;
    Bytes damaged = IconImage(png);
    damaged.resize(40);
    png.encoded = std::make_shared<Bytes>(damaged);
    c = ChosenFrom(dir, { png, Sized(16, 4, 0xff800000) });
    EXPECT_EQ(c.size, 16);
}

TEST(ExtractChoice, ScalingKeepsColourAndMaskTogether)
{
    TempDir dir;
    // 16 x 16, left half transparent by mask: the scaled icon keeps the
    // colour, and its mask follows its alpha.
    ImageSpec half = Sized(16, 4, 0xff2080c0);
    half.mask = [](int x, int) { return x < 8; };
    UniqueIcon icon = ExtractIconDetailed(dir.Write("half.ico", IcoFile({ half })), 0, nullptr);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Pixel(28, 10), 0xff2080c0u);
    EXPECT_FALSE(icon->MaskBit(28, 10));
    EXPECT_EQ(icon->Pixel(3, 10) >> 24, 0u);
    EXPECT_TRUE(icon->MaskBit(3, 10));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            EXPECT_EQ(icon->MaskBit(x, y), (icon->Pixel(x, y) >> 24) < 128) << x << "," << y;
    // A monochrome image stays flagged when scaled.
    icon = ExtractIconDetailed(dir.Write("mono.ico", IcoFile({ Sized(48, 1, 0xffffffff) })), 0, nullptr);
    ASSERT_TRUE(icon);
    EXPECT_TRUE(icon->monochrome);
    EXPECT_EQ(icon->Pixel(5, 5), 0xffffffffu);
}

TEST(ExtractChoice, ThirtyTwoBitImagesWithoutAlphaUseTheMask)
{
    TempDir dir;
    ImageSpec shape = Sized(32, 32, 0x00123456); // alpha bytes all zero
    shape.mask = [](int x, int y) { return x == y; };
    UniqueIcon icon = ExtractIconDetailed(dir.Write("noalpha.ico", IcoFile({ shape })), 0, nullptr);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Pixel(3, 4), 0xff123456u);
    EXPECT_EQ(icon->Pixel(4, 4), 0x00123456u);
    EXPECT_TRUE(icon->MaskBit(4, 4));
    // With some alpha, alpha is taken as it is, whatever the mask says.
    shape.pixel = [](int x, int) { return x < 16 ? 0x40123456u : 0xff123456u; };
    shape.mask = [](int, int) { return false; };
    icon = ExtractIconDetailed(dir.Write("alpha.ico", IcoFile({ shape })), 0, nullptr);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Pixel(3, 4), 0x40123456u);
    EXPECT_EQ(icon->Pixel(20, 4), 0xff123456u);
}

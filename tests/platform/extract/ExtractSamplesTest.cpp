// Files made by general-purpose image tools (samples/make-samples.sh), so
// that a misreading shared by our decoders and our fixture builder shows.
// Each icon is compared with the picture the tool was told to draw, as the
// same tool wrote it to a PNG file.

#include "platform/extract/ExtractIcon.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace orbisk;

namespace {

std::string Sample(const std::string& name) { return std::string(ORBISK_EXTRACT_SAMPLES) + "/" + name; }

QImage Picture(const std::string& name)
{
    return QImage(QString::fromStdString(Sample(name))).convertToFormat(QImage::Format_ARGB32);
}

// How a picture's alpha reaches the icon: through the AND mask (see-through
// or opaque), or as an alpha channel of its own.
enum class Alpha { Mask, Channel };

// Compares an icon with its 32 x 32 picture, each channel within
// `tolerance` (0 unless the icon was scaled): colours where the picture is
// not wholly see-through, alpha everywhere, and for a mask the mask bits.
void ExpectPicture(const IconData& icon, const QImage& picture, Alpha alpha, int tolerance = 0)
{
    ASSERT_EQ(picture.width(), 32);
    ASSERT_EQ(picture.height(), 32);
    int wrong = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const uint32_t want = picture.pixel(x, y), got = icon.Pixel(x, y);
            const int a = int(want >> 24);
            bool same = true;
            for (int shift = 0; shift < 32; shift += 8) {
                const int w = int(want >> shift & 255), g = int(got >> shift & 255);
                if (shift < 24 && a == 0)
                    continue;
                const int expected = shift == 24 && alpha == Alpha::Mask ? (a == 0 ? 0 : 255) : w;
                same &= std::abs(g - expected) <= tolerance;
            }
            if (alpha == Alpha::Mask)
                same &= icon.MaskBit(x, y) == (a == 0);
            if (!same && wrong++ < 3)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << got << " expected " << want
                              << " mask " << icon.MaskBit(x, y);
        }
    }
    EXPECT_EQ(wrong, 0);
}

struct Expected {
    std::string file;
    std::string picture;
    int bits;
    Alpha alpha;
};

} // namespace

TEST(ExtractSamples, IconsAtEveryDepth)
{
    const Expected samples[] = {
        { "icon-1bit.ico", "mono.png", 1, Alpha::Mask },      { "icon-4bit.ico", "quarters.png", 4, Alpha::Mask },
        { "icon-8bit.ico", "tiles.png", 8, Alpha::Mask },     { "icon-24bit.ico", "smooth.png", 24, Alpha::Mask },
        { "icon-32bit.ico", "alpha.png", 32, Alpha::Channel },
    };
    for (const Expected& s : samples) {
        SCOPED_TRACE(s.file);
        IconSourceInfo info;
        UniqueIcon icon = ExtractIconDetailed(Sample(s.file), 0, &info);
        ASSERT_TRUE(icon);
        EXPECT_EQ(info.width, 32);
        EXPECT_EQ(info.bits, s.bits);
        EXPECT_EQ(icon->monochrome, s.bits == 1);
        ExpectPicture(*icon, Picture(s.picture), s.alpha);
    }
}

TEST(ExtractSamples, IconsWithPngImages)
{
    // A 256 x 256 PNG image alone, scaled down to the icon.
    IconSourceInfo info;
    UniqueIcon icon = ExtractIconDetailed(Sample("icon-png.ico"), 0, &info);
    ASSERT_TRUE(icon);
    EXPECT_EQ(info.width, 256);
    EXPECT_EQ(info.bits, 32);
    ExpectPicture(*icon, Picture("quarters.png"), Alpha::Mask, 2);
    // Beside 16 and 32 pixel DIBs the 32 pixel one is taken: ImageMagick
    // scaled it from the 256 pixel picture, so only the inside of each
    // quarter keeps its colour exactly.
    icon = ExtractIconDetailed(Sample("icon-png-and-dibs.ico"), 0, &info);
    ASSERT_TRUE(icon);
    EXPECT_EQ(info.width, 32);
    EXPECT_EQ(info.bits, 32);
    const QImage quarters = Picture("quarters.png");
    for (int y : { 4, 10, 20 })
        for (int x : { 4, 10, 20 })
            EXPECT_EQ(icon->Pixel(x, y), quarters.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(icon->Pixel(28, 28) >> 24, 0u);
}

TEST(ExtractSamples, BitmapsWithTheV5HeaderAndRunLengths)
{
    const Expected samples[] = {
        { "bitmap-v5-32bit.bmp", "alpha.png", 32, Alpha::Channel },
        { "rle4.bmp", "quarters-opaque.png", 4, Alpha::Mask },
        { "rle8.bmp", "tiles-opaque.png", 8, Alpha::Mask },
        { "rle8-imagemagick.bmp", "tiles-opaque.png", 8, Alpha::Mask },
    };
    for (const Expected& s : samples) {
        SCOPED_TRACE(s.file);
        IconSourceInfo info;
        UniqueIcon icon = ExtractIconDetailed(Sample(s.file), 0, &info);
        ASSERT_TRUE(icon);
        EXPECT_EQ(info.bits, s.bits);
        ExpectPicture(*icon, Picture(s.picture), s.alpha);
    }
}

TEST(ExtractSamples, LibraryWithANamedGroupAndTwoLanguages)
{
    // The named group first, then group 1 in its first language (German,
    // 0x407, before English), then group 2.
    const Expected icons[] = {
        { "MAINICON", "tiles.png", 8, Alpha::Mask },
        { "1, German", "mono.png", 1, Alpha::Mask },
        { "2", "smooth.png", 24, Alpha::Mask },
    };
    const std::string library = Sample("library.dll");
    for (int n = 0; n < 3; ++n) {
        SCOPED_TRACE(icons[n].file);
        IconSourceInfo info;
        UniqueIcon icon = ExtractIconDetailed(library, n, &info);
        ASSERT_TRUE(icon);
        EXPECT_EQ(info.bits, icons[n].bits);
        ExpectPicture(*icon, Picture(icons[n].picture), icons[n].alpha);
    }
    EXPECT_FALSE(ExtractIconDetailed(library, 3, nullptr));
}

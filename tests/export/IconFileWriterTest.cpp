#include "TestIcons.h"

#include "export/SaveColors.h"
#include "export/TafIcon.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orbisk;
using namespace orbisk::test;

namespace {

struct Depth {
    int32_t count;
    int bits;
    std::size_t size;
};
constexpr Depth depths[] = { { 2, 1, 326 },         { 16, 4, 766 },          { 256, 8, 2238 },
                             { 65536, 16, 2238 },   { 16777216, 24, 3262 },  { TrueColor32, 32, 4286 } };

class IconFileWriter : public ::testing::Test {
protected:
    static std::vector<uint8_t> Write(HICON icon, int32_t count)
    {
        MemoryStream out;
        TafIcon::WriteIconStream(out, icon, count);
        return out.Bytes();
    }
};

// Qt's ICO reader has no 16-bit images: give those colour rows to its BMP
// reader instead, behind a bitmap file header and the image header with the
// height of the colour rows alone.
QImage DecodeWithQt(const std::vector<uint8_t>& ico, int bits)
{
    if (bits != 16)
        return QImage::fromData(ico.data(), int(ico.size()), "ICO");
    std::vector<uint8_t> bmp { 'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0 };
    bmp.insert(bmp.end(), ico.begin() + 22, ico.end() - 128);
    bmp[22] = 32;
    return QImage::fromData(bmp.data(), int(bmp.size()), "BMP");
}

} // namespace

TEST_F(IconFileWriter, LaysOutTheSixDepths)
{
    UniqueIcon icon = CheckerIcon();
    for (const Depth& d : depths) {
        SCOPED_TRACE(d.bits);
        const auto f = Write(icon.get(), d.count);
        ASSERT_EQ(f.size(), d.size);
        EXPECT_EQ(LE32(f, 0), 0x00010000u); // reserved, type 1
        EXPECT_EQ(f[4], 1);
        EXPECT_EQ(f[6], 32);
        EXPECT_EQ(f[7], 32); // not doubled here...
        EXPECT_EQ(f[8], d.bits);
        for (int i = 9; i <= 13; ++i)
            EXPECT_EQ(f[std::size_t(i)], 0) << i;
        EXPECT_EQ(LE32(f, 14), d.size - 22);
        EXPECT_EQ(LE32(f, 18), 22u);
        EXPECT_EQ(LE32(f, 22), 40u);
        EXPECT_EQ(LE32(f, 30), 64u); // ...but doubled in the image header
        EXPECT_EQ(f[34] | f[35] << 8, 1);
        EXPECT_EQ(f[36] | f[37] << 8, d.bits);
        EXPECT_EQ(LE32(f, 38), 0u); // uncompressed
        const std::size_t colorRows = ((32 * std::size_t(d.bits) + 31) / 32) * 4 * 32;
        EXPECT_EQ(LE32(f, 42), colorRows); // colour rows only: 512 at 4 bits
        const auto table = DibColorTable(d.bits);
        // Full tables even though the icon uses eight colours.
        EXPECT_TRUE(table.empty() || std::memcmp(f.data() + 62, table.data(), table.size_bytes()) == 0);
        const std::size_t rows = 62 + table.size_bytes();
        EXPECT_EQ(rows + colorRows + 128, d.size);
        // Bottom row first: the file's last mask rows are the icon's top rows
        // (three transparent, then one opaque but for its ends).
        EXPECT_EQ(LE32(f, d.size - 4 * 3), 0xffffffffu);
        EXPECT_EQ(LE32(f, d.size - 4 * 4), 0x030000c0u);
        if (d.bits == 32) { // pixel (2, 29) is the first opaque pixel of the bottom row
            EXPECT_EQ(LE32(f, rows + 2 * 32 * 4 + 2 * 4), icon->Pixel(2, 29));
        }
    }
    EXPECT_EQ(LE32(Write(icon.get(), 16), 42), 512u);
}

TEST_F(IconFileWriter, DepthFollowsTheColorCount)
{
    UniqueIcon icon = CheckerIcon();
    EXPECT_EQ(Write(icon.get(), 100)[8], 32); // not a count of the table
    EXPECT_EQ(Write(icon.get(), 4)[8], 32);
    struct {
        int display;
        int32_t count;
        int bits;
    } const cases[] = { { 1, 2, 1 }, { 4, 16, 4 }, { 8, 256, 8 }, { 2, 4, 32 }, { 16, TrueColor32, 32 },
                        { 24, TrueColor32, 32 }, { 32, TrueColor32, 32 } };
    for (const auto& c : cases) {
        EXPECT_EQ(ScreenColorCount(c.display), c.count) << c.display;
        EXPECT_EQ(SaveColorsToColorCount(0, c.display), c.count);
        EXPECT_EQ(SaveColorsToColorCount(16, c.display), 16);
        EXPECT_EQ(Write(icon.get(), SaveColorsToColorCount(0, c.display))[8], c.bits) << c.display;
    }
    EXPECT_THROW(Write(nullptr, 256), EInvalidGraphic);
}

TEST_F(IconFileWriter, QtReadsEveryDepthWithTheSamePixels)
{
    UniqueIcon icon = CheckerIcon();
    for (const Depth& d : depths) {
        SCOPED_TRACE(d.bits);
        const QImage image = DecodeWithQt(Write(icon.get(), d.count), d.bits).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(32, 32));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QRgb got = image.pixel(x, y);
                // (Qt's reader leaves 24-bit images opaque.)
                if (icon->MaskBit(x, y))
                    ASSERT_EQ(qAlpha(got), d.bits == 16 || d.bits == 24 ? 255 : 0) << x << "," << y;
                else
                    ASSERT_TRUE(qAlpha(got) == 255 && SameColor(got, Converted(icon->Pixel(x, y), d.bits), d.bits))
                        << x << "," << y;
            }
    }
}

// Every format and depth decodes to the pixels that were written.

#include "platform/extract/ExtractIcon.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

// A 32 x 32 icon equals the image it was made from, pixel for pixel.
void ExpectExact(const IconData& icon, const ImageSpec& shape)
{
    ASSERT_EQ(icon.width, 32);
    ASSERT_EQ(icon.height, 32);
    const std::vector<uint32_t> expected = ExpectedPixels(shape);
    int wrong = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint32_t want = expected[std::size_t(y) * 32 + std::size_t(x)];
            if (icon.Pixel(x, y) != want || icon.MaskBit(x, y) != ExpectedMask(shape, x, y)) {
                if (wrong++ < 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << icon.Pixel(x, y) << " expected "
                                  << want;
            }
        }
    EXPECT_EQ(wrong, 0);
}

bool LeftColumnsClear(int x, int y) { return x < 5 || (y == 31 && x < 20); }

} // namespace

TEST(ExtractFormats, IconFilesAtEveryDepthAndHeader)
{
    TempDir dir;
    std::vector<ImageSpec> shapes;
    for (int bits : { 1, 4, 8, 16, 24, 32 })
        shapes.push_back(ImageSpec { .bits = bits, .mask = LeftColumnsClear });
    shapes.push_back(ImageSpec { .bits = 32, .pixel = AlphaPattern(3) });
    shapes.push_back(ImageSpec { .bits = 32, .mask = LeftColumnsClear, .zeroAlpha = true });
    shapes.push_back(ImageSpec { .bits = 16, .bitfields = true });
    shapes.push_back(ImageSpec { .bits = 32, .mask = LeftColumnsClear, .bitfields = true });
    shapes.push_back(ImageSpec { .bits = 8, .pixel = Pattern(5, 7), .clrUsed = 7 });
    for (int bits : { 1, 4, 8, 24 })
        shapes.push_back(ImageSpec { .bits = bits, .mask = LeftColumnsClear, .coreHeader = true });
    shapes.push_back(ImageSpec { .pixel = AlphaPattern(9), .png = true });
    for (const ImageSpec& shape : shapes) {
        SCOPED_TRACE(testing::Message() << "bits " << shape.bits << " png " << shape.png << " core " << shape.coreHeader
                                        << " zeroAlpha " << shape.zeroAlpha << " bitfields " << shape.bitfields);
        const std::string path = dir.Write("a.ico", IcoFile({ shape }));
        IconSourceInfo info;
        UniqueIcon icon = ExtractIconDetailed(path, 0, &info);
        ASSERT_TRUE(icon);
        ExpectExact(*icon, shape);
        EXPECT_EQ(icon->monochrome, shape.bits == 1 && !shape.png);
        EXPECT_EQ(info.width, 32);
        EXPECT_EQ(info.bits, shape.png ? 32 : shape.bits);
        EXPECT_FALSE(ExtractIconDetailed(path, 1, nullptr));
    }
}

TEST(ExtractFormats, CursorDepthComesFromTheImageNotTheHotSpot)
{
    TempDir dir;
    // The hot spot (7, 33) sits where an icon file keeps planes and depth.
    const ImageSpec shape { .bits = 4, .mask = LeftColumnsClear };
    const std::string path = dir.Write("a.cur", CurFile({ ImageSpec { .bits = 1 }, shape }, 7, 33));
    IconSourceInfo info;
    UniqueIcon icon = ExtractIconDetailed(path, 0, &info);
    ASSERT_TRUE(icon);
    EXPECT_EQ(info.bits, 4);
    ExpectExact(*icon, shape);
}

TEST(ExtractFormats, BitmapFilesAreFittedIntoTheSquare)
{
    TempDir dir;
    for (int bits : { 1, 4, 8, 16, 24, 32 }) {
        for (bool topDown : { false, true }) {
            SCOPED_TRACE(testing::Message() << "bits " << bits << " topDown " << topDown);
            const ImageSpec shape { .bits = bits, .topDown = topDown };
            UniqueIcon icon = ExtractIconDetailed(dir.Write("a.bmp", BmpFile(shape)), 0, nullptr);
            ASSERT_TRUE(icon);
            ExpectExact(*icon, shape);
        }
    }
    // A wide bitmap keeps its proportions: full width, centred, clear above
    // and below.
    const ImageSpec wide { .width = 64, .height = 16, .bits = 24, .pixel = [](int, int) { return 0xff2040c0u; } };
    IconSourceInfo info;
    UniqueIcon icon = ExtractIconDetailed(dir.Write("wide.bmp", BmpFile(wide)), 0, &info);
    ASSERT_TRUE(icon);
    EXPECT_EQ(info.width, 64);
    EXPECT_EQ(info.height, 16);
    EXPECT_TRUE(icon->MaskBit(16, 0));
    EXPECT_EQ(icon->Pixel(16, 0) >> 24, 0u);
    EXPECT_FALSE(icon->MaskBit(0, 16));
    EXPECT_EQ(icon->Pixel(0, 16), 0xff2040c0u);
    EXPECT_EQ(icon->Pixel(31, 15), 0xff2040c0u);
    EXPECT_TRUE(icon->MaskBit(31, 31));
}

TEST(ExtractFormats, ProgramsAndLibrariesInEveryExecutableFormat)
{
    TempDir dir;
    const std::vector<ImageSpec> images { ImageSpec { .width = 16, .height = 16, .bits = 8 },
                                          ImageSpec { .bits = 4, .mask = LeftColumnsClear },
                                          ImageSpec { .width = 48, .height = 48, .bits = 32 } };
    const auto groups = Groups(3, images);
    const std::pair<const char*, Bytes> files[] = {
        { "pe32.dll", PeFile(groups, PeKind::Pe32) },
        { "pe32plus.dll", PeFile(groups, PeKind::Pe32Plus) },
        { "ne.icl", NeFile(groups) },
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const std::string path = dir.Write(name, bytes);
        for (int n = 0; n < 3; ++n) {
            IconSourceInfo info;
            UniqueIcon icon = ExtractIconDetailed(path, n, &info);
            ASSERT_TRUE(icon);
            EXPECT_EQ(info.width, 32);
            EXPECT_EQ(info.bits, 4);
            ExpectExact(*icon, groups[std::size_t(n)].images[1]);
        }
        EXPECT_FALSE(ExtractIconDetailed(path, 3, nullptr));
    }
}

namespace {

// A 32 x 2 run-length encoded bitmap with colours 0, 1, 2 = black, red, blue.
Bytes RleBitmap(int bits, const Bytes& stream)
{
    Bytes b { 'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0 };
    const uint32_t header[] = { 40, 32, 2, 1u | uint32_t(bits) << 16, bits == 8 ? 1u : 2u, uint32_t(stream.size()), 0, 0, 3, 0 };
    for (uint32_t v : header)
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    const uint32_t palette[] = { 0x000000, 0xff0000, 0x0000ff };
    for (uint32_t c : palette)
        b.insert(b.end(), { uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0 });
    b.insert(b.end(), stream.begin(), stream.end());
    return b;
}

} // namespace

TEST(ExtractFormats, RunLengthEncodedBitmaps)
{
    TempDir dir;
    constexpr uint32_t black = 0xff000000, red = 0xffff0000, blue = 0xff0000ff;
    // RLE8: the bottom row one run of red; the top row red, blue, red as
    // literal pixels, the rest never drawn.
    UniqueIcon icon = ExtractIconDetailed(
        dir.Write("rle8.bmp", RleBitmap(8, { 32, 1, 0, 0, 0, 3, 1, 2, 1, 0, 0, 1 })), 0, nullptr);
    ASSERT_TRUE(icon);
    // 32 x 2 needs no scaling; it sits in rows 15 and 16.
    EXPECT_EQ(icon->Pixel(0, 15), red);
    EXPECT_EQ(icon->Pixel(1, 15), blue);
    EXPECT_EQ(icon->Pixel(2, 15), red);
    EXPECT_EQ(icon->Pixel(3, 15), black);
    EXPECT_EQ(icon->Pixel(31, 16), red);
    EXPECT_TRUE(icon->MaskBit(0, 14));
    // RLE4: the bottom row alternates red and blue; a literal run on top.
    icon = ExtractIconDetailed(dir.Write("rle4.bmp", RleBitmap(4, { 32, 0x12, 0, 0, 0, 3, 0x21, 0x20, 0, 1 })), 0,
                               nullptr);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Pixel(0, 16), red);
    EXPECT_EQ(icon->Pixel(1, 16), blue);
    EXPECT_EQ(icon->Pixel(0, 15), blue);
    EXPECT_EQ(icon->Pixel(1, 15), red);
    EXPECT_EQ(icon->Pixel(2, 15), blue);
    EXPECT_EQ(icon->Pixel(3, 15), black);
    // A stream cut short keeps what it drew; runs past the row are clipped.
    icon = ExtractIconDetailed(dir.Write("cut.bmp", RleBitmap(8, { 255, 2, 255, 2, 0 })), 0, nullptr);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Pixel(31, 16), blue);
    EXPECT_EQ(icon->Pixel(0, 15), black);
    // Nothing past a row's end wraps into the next row, and a literal run
    // is skipped whole: on the bottom row 40 literal blue pixels, 3 red
    // ones and a move 200 pixels right, then 5 red; on the top row one red.
    Bytes stream { 0, 40 };
    stream.insert(stream.end(), 40, 2);
    stream.insert(stream.end(), { 3, 1, 0, 2, 200, 0, 5, 1, 0, 0, 1, 1, 0, 1 });
    icon = ExtractIconDetailed(dir.Write("long.bmp", RleBitmap(8, stream)), 0, nullptr);
    ASSERT_TRUE(icon);
    for (int x = 0; x < 32; ++x) {
        EXPECT_EQ(icon->Pixel(x, 16), blue) << x;
        EXPECT_EQ(icon->Pixel(x, 15), x == 0 ? red : black) << x;
    }
    // A stream that starts at or past the end of the file draws nothing at
    // all: no icon.
    Bytes empty = RleBitmap(8, {});
    EXPECT_FALSE(ExtractIconDetailed(dir.Write("empty.bmp", empty), 0, nullptr));
    Bytes beyond = RleBitmap(8, { 32, 1, 0, 1 });
    beyond[10] = uint8_t(beyond.size());
    EXPECT_FALSE(ExtractIconDetailed(dir.Write("beyond.bmp", beyond), 0, nullptr));
}

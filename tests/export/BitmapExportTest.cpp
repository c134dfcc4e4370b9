#include "TestIcons.h"

#include "export/BitmapExport.h"
#include "platform/pixels/ColorTables.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orbisk;
using namespace orbisk::test;

namespace {

class BitmapExport : public ::testing::Test {
protected:
    static std::vector<uint8_t> Write(HICON handle, int displayBits)
    {
        TafIcon icon;
        icon.SetHandle(handle);
        MemoryStream out;
        WriteBitmapStream(out, icon, displayBits);
        icon.ReleaseHandle();
        return out.Bytes();
    }
};

} // namespace

TEST_F(BitmapExport, LaysOutTheDisplayDepth)
{
    UniqueIcon icon = CheckerIcon();
    const auto f = Write(icon.get(), 32);
    ASSERT_EQ(f.size(), 4150u);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(LE32(f, 2), 4150u);
    EXPECT_EQ(LE32(f, 6), 0u);
    EXPECT_EQ(LE32(f, 10), 54u);
    EXPECT_EQ(LE32(f, 14), 40u);
    EXPECT_EQ(LE32(f, 18), 32u);
    EXPECT_EQ(LE32(f, 22), 32u); // positive: bottom row first
    EXPECT_EQ(f[26] | f[27] << 8, 1);
    EXPECT_EQ(f[28] | f[29] << 8, 32);
    EXPECT_EQ(LE32(f, 30), 0u);
    EXPECT_EQ(LE32(f, 34), 4096u);
    EXPECT_EQ(LE32(f, 46), 0u);
    // White where the icon is transparent, its colour where it is opaque:
    // the bottom row, then pixel (2, 29) in the third row of the file.
    EXPECT_EQ(LE32(f, 54) & 0xffffff, 0xffffffu);
    EXPECT_EQ(LE32(f, 54 + 2 * 128 + 2 * 4) & 0xffffff, icon->Pixel(2, 29) & 0xffffff);

    const struct {
        int display;
        std::size_t size, offset;
    } sizes[] = { { 24, 3126, 54 }, { 16, 2102, 54 }, { 8, 2102, 1078 }, { 4, 630, 118 }, { 1, 190, 62 } };
    for (const auto& s : sizes) {
        const auto g = Write(icon.get(), s.display);
        ASSERT_EQ(g.size(), s.size) << s.display;
        EXPECT_EQ(LE32(g, 10), s.offset);
        EXPECT_EQ(g[28], s.display);
        const auto table = DibColorTable(s.display);
        EXPECT_EQ(LE32(g, 46), table.size());
        EXPECT_TRUE(table.empty() || std::memcmp(g.data() + 54, table.data(), table.size_bytes()) == 0);
    }
}

TEST_F(BitmapExport, QtReadsEveryDepthAsTheIconOnWhite)
{
    UniqueIcon icon = CheckerIcon();
    for (int bits : { 1, 4, 8, 16, 24, 32 }) {
        SCOPED_TRACE(bits);
        const auto f = Write(icon.get(), bits);
        const QImage image = QImage::fromData(f.data(), int(f.size()), "BMP");
        ASSERT_EQ(image.size(), QSize(32, 32));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const uint32_t shown = icon->MaskBit(x, y) ? 0xffffffu : icon->Pixel(x, y);
                ASSERT_TRUE(SameColor(image.pixel(x, y), Converted(shown, bits), bits)) << x << "," << y;
            }
    }
}

#include "platform/pixels/ColorTables.h"
#include "platform/pixels/DibBits.h"
#include "platform/pixels/DrawIcon.h"
#include "platform/pixels/NearestColor.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace orbisk;

namespace {

int BruteNearest(std::span<const RgbQuad> table, int r, int g, int b)
{
    int best = 1 << 30, index = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const int dr = r - table[i].red, dg = g - table[i].green, db = b - table[i].blue;
        if (dr * dr + dg * dg + db * db < best) {
            best = dr * dr + dg * dg + db * db;
            index = int(i);
        }
    }
    return index;
}

uint32_t Argb(int a, int r, int g, int b) { return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

} // namespace

TEST(NearestColor, AgreesWithTryingEveryEntry)
{
    std::mt19937 rng(7);
    for (int bits : { 1, 4, 8 }) {
        const auto table = DibColorTable(bits);
        ASSERT_EQ(table.size(), std::size_t(1) << bits);
        const NearestColor& match = *NearestColor::ForBits(bits);
        // Cell borders (multiples of 16 and their neighbours) and random colours.
        for (int r = 0; r < 256; r += 15)
            for (int g = 0; g < 256; g += 15)
                for (int b = 0; b < 256; b += 15)
                    ASSERT_EQ(match.Index(uint32_t(Argb(0, r, g, b))), BruteNearest(table, r, g, b))
                        << bits << " bits " << r << "," << g << "," << b;
        for (int i = 0; i < 20000; ++i) {
            const uint32_t c = rng() & 0xffffff;
            ASSERT_EQ(match.Index(c), BruteNearest(table, int(c >> 16), int((c >> 8) & 0xff), int(c & 0xff)));
        }
        // Every entry finds itself (the first of repeated ones).
        for (const RgbQuad& q : table)
            EXPECT_EQ(table[match.Index(Argb(0, q.red, q.green, q.blue))], q);
    }
    EXPECT_EQ(NearestColor::ForBits(16), nullptr);
}

// (The conversions themselves are checked through Qt's readers, by the
// writers' tests.)
TEST(GetDIBits, RefusesWhatItCannotFill)
{
    const std::vector<uint32_t> px(6, Argb(255, 1, 2, 3));
    std::vector<uint8_t> small(DibRowSize(3, 8) * 2 - 1, 0x55);
    EXPECT_FALSE(GetDIBits(px.data(), 3, 2, 3, 8, small));
    EXPECT_EQ(small, std::vector<uint8_t>(small.size(), 0x55));
    std::vector<uint8_t> room(64);
    EXPECT_FALSE(GetDIBits(px.data(), 3, 2, 3, 2, room)); // no such depth
    EXPECT_FALSE(GetDIBits(px.data(), 3, 2, 2, 32, room)); // stride shorter than a row
    EXPECT_TRUE(GetDIBits(px.data(), 3, 2, 3, 24, room));
}

TEST(DrawIconEx, CompositesByAlphaWithoutTouchingTheIcon)
{
    IconData d;
    d.width = d.height = 2;
    d.color = { Argb(255, 0, 0, 255), Argb(0, 0, 255, 0), Argb(128, 255, 255, 255), Argb(255, 0, 0, 0) };
    d.mask = std::vector<uint8_t>(8, 0);
    const std::vector<uint32_t> before = d.color;
    UniqueIcon icon(CreateIcon(d));
    ASSERT_TRUE(icon);

    QImage target(4, 4, QImage::Format_RGB32);
    target.fill(QColor(255, 0, 0));
    QPainter painter(&target);
    EXPECT_TRUE(DrawIconEx(painter, 1, 1, icon.get(), 0, 0, DI_NORMAL));
    EXPECT_FALSE(DrawIconEx(painter, 0, 0, nullptr, 0, 0, DI_NORMAL));
    EXPECT_FALSE(DrawIconEx(painter, 0, 0, icon.get(), 0, 0, DI_MASK));
    painter.end();

    EXPECT_EQ(target.pixel(0, 0), QColor(255, 0, 0).rgb()); // outside: untouched
    EXPECT_EQ(target.pixel(1, 1), QColor(0, 0, 255).rgb()); // opaque
    EXPECT_EQ(target.pixel(2, 1), QColor(255, 0, 0).rgb()); // transparent
    const QColor half = target.pixelColor(1, 2); // white at half over red
    EXPECT_EQ(half.red(), 255);
    EXPECT_NEAR(half.green(), 128, 2);
    EXPECT_EQ(icon->color, before);
}

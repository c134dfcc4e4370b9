#pragma once

#include "fixtures/PaintedIcon.h"
#include "platform/pixels/ColorTables.h"
#include "platform/pixels/IconHandle.h"
#include "platform/pixels/NearestColor.h"

#include <QImage>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace orbisk::test {

// A 32 x 32 icon: an opaque 4 x 4 checker of eight colours framed by a
// transparent border (mask 1, alpha 0, colour black) two pixels wide, three
// at the top, so that a picture upside down shows.
inline UniqueIcon CheckerIcon()
{
    static const uint32_t colors[] = { 0xffff0000, 0xff008000, 0xff0000ff, 0xffffff00,
                                       0xffc8c8c8, 0xff0a0a0a, 0xff800080, 0xffffffff };
    return UniqueIcon(PaintedIcon([](int x, int y) {
        const bool border = x < 2 || y < 3 || x >= 30 || y >= 30;
        return border ? 0u : colors[(x / 4 + y / 4) % 8];
    }));
}

// What a conversion to `bits` per pixel makes of a colour, opaque.
inline QRgb Converted(uint32_t argb, int bits)
{
    if (const NearestColor* match = NearestColor::ForBits(bits)) {
        const RgbQuad q = DibColorTable(bits)[match->Index(argb)];
        return qRgb(q.red, q.green, q.blue);
    }
    return argb | 0xff000000u;
}

// Equal colours; at 16 bits a reader may widen five bits in its own way.
inline bool SameColor(QRgb got, QRgb want, int bits)
{
    const int t = bits == 16 ? 7 : 0;
    return std::abs(qRed(got) - qRed(want)) <= t && std::abs(qGreen(got) - qGreen(want)) <= t
        && std::abs(qBlue(got) - qBlue(want)) <= t;
}

inline std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

inline uint32_t LE32(const std::vector<uint8_t>& b, std::size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

} // namespace orbisk::test

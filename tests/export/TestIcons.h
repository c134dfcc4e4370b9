#pragma once

#include "platform/IconHandle.h"

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace orbisk::test {

inline uint32_t Argb(int a, int r, int g, int b)
{
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

// A 32 x 32 icon: an opaque 4 x 4 checker of eight colours framed by a
// transparent border two pixels wide (mask 1, alpha 0, colour black).
inline UniqueIcon CheckerIcon(bool monochrome = false)
{
    static const uint32_t colors[] = { Argb(255, 255, 0, 0), Argb(255, 0, 128, 0), Argb(255, 0, 0, 255),
                                       Argb(255, 255, 255, 0), Argb(255, 200, 200, 200), Argb(255, 10, 10, 10),
                                       Argb(255, 128, 0, 128), Argb(255, 255, 255, 255) };
    IconData d;
    d.width = d.height = 32;
    d.monochrome = monochrome;
    d.color.resize(32 * 32);
    d.mask.assign(std::size_t(IconData::MaskStride(32)) * 32, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool border = x < 2 || y < 2 || x >= 30 || y >= 30;
            uint32_t c = colors[(x / 4 + y / 4) % 8];
            if (monochrome)
                c = ((x / 4 + y / 4) % 2) ? Argb(255, 255, 255, 255) : Argb(255, 0, 0, 0);
            d.color[std::size_t(y * 32 + x)] = border ? 0 : c;
            if (border)
                d.mask[std::size_t(y * 4 + x / 8)] |= uint8_t(0x80 >> (x % 8));
        }
    return UniqueIcon(CreateIcon(std::move(d)));
}

inline std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF)
            bytes.push_back(uint8_t(c));
        std::fclose(f);
    }
    return bytes;
}

inline uint32_t LE32(const std::vector<uint8_t>& b, std::size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

} // namespace orbisk::test

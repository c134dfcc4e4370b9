#pragma once

// Icons made in memory for the benchmarks that save or draw thousands of them.

#include "platform/pixels/IconHandle.h"

#include <cstdint>
#include <utility>

namespace orbisk::bench {

// A 32 x 32 icon whose pixel (x, y) is argb(x, y), straight alpha; the pixels
// of alpha 0 are masked out.
template <typename Argb>
HICON PaintedIcon(Argb argb)
{
    IconData d;
    d.width = d.height = 32;
    d.color.resize(32 * 32);
    d.mask.assign(std::size_t(IconData::MaskStride(32)) * 32, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint32_t pixel = argb(x, y);
            d.color[std::size_t(y * 32 + x)] = pixel;
            if (pixel >> 24 == 0)
                d.mask[std::size_t(y * 4 + x / 8)] |= uint8_t(0x80 >> (x % 8));
        }
    return CreateIcon(std::move(d));
}

// A 32 x 32 gradient with a transparent corner, different for each icon, so
// that a palette lookup meets fresh colours.
inline HICON GradientIcon(int i)
{
    return PaintedIcon([i](int x, int y) {
        const uint32_t r = uint32_t(x * 8 + i) & 0xff, g = uint32_t(y * 8 + 3 * i) & 0xff,
                       b = uint32_t((x + y) * 4 + 7 * i) & 0xff;
        return x + y < 6 ? 0u : (0xff000000u | r << 16 | g << 8 | b);
    });
}

} // namespace orbisk::bench

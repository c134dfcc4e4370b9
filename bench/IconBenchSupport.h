#pragma once

// Icons made in memory for the benchmarks that save or draw thousands of them.

#include "fixtures/PaintedIcon.h"

#include <cstdint>

namespace orbisk::bench {

// A 32 x 32 gradient with a transparent corner, different for each icon, so
// that a palette lookup meets fresh colours.
inline HICON GradientIcon(int i)
{
    return test::PaintedIcon([i](int x, int y) {
        const uint32_t r = uint32_t(x * 8 + i) & 0xff, g = uint32_t(y * 8 + 3 * i) & 0xff,
                       b = uint32_t((x + y) * 4 + 7 * i) & 0xff;
        return x + y < 6 ? 0u : (0xff000000u | r << 16 | g << 8 | b);
    });
}

} // namespace orbisk::bench

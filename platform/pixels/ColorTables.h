#pragma once

#include <cstdint>
#include <span>

namespace orbisk {

// One colour-table entry as a DIB stores it: blue, green, red, 0.
struct RgbQuad {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;

    friend constexpr bool operator==(const RgbQuad&, const RgbQuad&) = default;
};
static_assert(sizeof(RgbQuad) == 4);

constexpr RgbQuad Rgb(uint8_t red, uint8_t green, uint8_t blue) { return RgbQuad { blue, green, red, 0 }; }

// The fixed tables that a conversion to 1, 4 or 8 bits per pixel matches
// against, as a memory device context with no palette selected offers them:
// black and white; the 16 standard VGA colours; the 256-colour halftone
// palette (the 20 static colours at both ends, a 6 x 6 x 6 colour cube and a
// ramp of grey between them).
std::span<const RgbQuad, 2> MonochromeColorTable();
std::span<const RgbQuad, 16> VgaColorTable();
std::span<const RgbQuad, 256> HalftoneColorTable();

// The table of a conversion to `bits` per pixel: 2, 16 or 256 entries for 1,
// 4 or 8 bits; empty for every other bit count (those images carry none).
std::span<const RgbQuad> DibColorTable(int bits);

} // namespace orbisk

#include "platform/pixels/DibBits.h"

#include "platform/pixels/NearestColor.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace orbisk {

namespace {

void PaletteRow(const uint32_t* src, int width, int bits, const NearestColor& match, uint8_t* dst)
{
    // Icons are mostly runs of one colour: remember the last match.
    uint32_t lastRgb = src[0] & 0xffffff;
    uint8_t lastIndex = match.Index(lastRgb);
    const int perByte = 8 / bits;
    for (int x = 0; x < width; ++x) {
        const uint32_t rgb = src[x] & 0xffffff;
        if (rgb != lastRgb) {
            lastRgb = rgb;
            lastIndex = match.Index(rgb);
        }
        // Leftmost pixel in the most significant bits.
        const int shift = bits * (perByte - 1 - x % perByte);
        dst[x / perByte] = uint8_t(dst[x / perByte] | (lastIndex << shift));
    }
}

void Row16(const uint32_t* src, int width, uint8_t* dst)
{
    for (int x = 0; x < width; ++x) {
        const uint32_t p = src[x];
        const uint16_t w = uint16_t(((p >> 9) & 0x7c00) | ((p >> 6) & 0x03e0) | ((p >> 3) & 0x001f));
        dst[2 * x] = uint8_t(w & 0xff);
        dst[2 * x + 1] = uint8_t(w >> 8);
    }
}

void Row24(const uint32_t* src, int width, uint8_t* dst)
{
    for (int x = 0; x < width; ++x) {
        const uint32_t p = src[x];
        dst[3 * x] = uint8_t(p);
        dst[3 * x + 1] = uint8_t(p >> 8);
        dst[3 * x + 2] = uint8_t(p >> 16);
    }
}

void Row32(const uint32_t* src, int width, uint8_t* dst)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(dst, src, std::size_t(width) * 4);
    } else {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = src[x];
            dst[4 * x] = uint8_t(p);
            dst[4 * x + 1] = uint8_t(p >> 8);
            dst[4 * x + 2] = uint8_t(p >> 16);
            dst[4 * x + 3] = uint8_t(p >> 24);
        }
    }
}

} // namespace

bool GetDIBits(const uint32_t* pixels, int width, int height, std::size_t stride, int bits,
               std::span<uint8_t> out)
{
    if (!IsDibBitCount(bits) || width < 0 || height < 0 || (width > 0 && stride < std::size_t(width)))
        return false;
    const std::size_t rowSize = DibRowSize(width, bits);
    if (out.size() / std::max<std::size_t>(rowSize, 1) < std::size_t(height))
        return false;
    if (width == 0 || height == 0)
        return true;

    const NearestColor* match = NearestColor::ForBits(bits);
    for (int y = 0; y < height; ++y) {
        const uint32_t* src = pixels + std::size_t(y) * stride;
        uint8_t* dst = out.data() + std::size_t(height - 1 - y) * rowSize;
        std::fill(dst, dst + rowSize, uint8_t(0));
        switch (bits) {
        case 16:
            Row16(src, width, dst);
            break;
        case 24:
            Row24(src, width, dst);
            break;
        case 32:
            Row32(src, width, dst);
            break;
        default:
            PaletteRow(src, width, bits, *match, dst);
            break;
        }
    }
    return true;
}

} // namespace orbisk

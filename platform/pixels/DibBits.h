#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace orbisk {

// Bytes in one row of a device-independent bitmap: rows are padded to a
// multiple of 32 bits.
constexpr std::size_t DibRowSize(int width, int bits)
{
    return ((std::size_t(width) * std::size_t(bits) + 31) & ~std::size_t(31)) / 8;
}

// Whether GetDIBits converts to this many bits per pixel: 1, 4, 8, 16, 24, 32.
constexpr bool IsDibBitCount(int bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Converts a top-down image of 0xAARRGGBB words (`stride` words from one row
// to the next) into `bits` per pixel, the bottom row first, every row
// DibRowSize(width, bits) bytes with zero padding:
//   1, 4, 8  the index of the nearest entry of DibColorTable(bits);
//   16       a little-endian word, blue in bits 0-4, green 5-9, red 10-14;
//   24       blue, green, red;
//   32       blue, green, red, alpha as in the source.
// Returns false, and writes nothing, for another bit count, a negative size,
// or an `out` smaller than DibRowSize(width, bits) x height.
bool GetDIBits(const uint32_t* pixels, int width, int height, std::size_t stride, int bits,
               std::span<uint8_t> out);

} // namespace orbisk

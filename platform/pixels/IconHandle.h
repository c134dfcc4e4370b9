#pragma once

#include "platform/pixels/DibBits.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orbisk {

// The in-memory icon that a handle stands for. Every handle carries a colour
// image, even one made from a monochrome source, so every icon can be drawn
// and written at every depth.
struct IconData {
    int width = 0;
    int height = 0;
    // Colour image: top-down rows, one 0xAARRGGBB word per pixel, straight
    // (not premultiplied) alpha; the layout of QImage::Format_ARGB32.
    std::vector<uint32_t> color;
    // AND mask: top-down rows of 1 bit per pixel, most significant bit first,
    // each row padded to a multiple of 32 bits, as in a DIB. A set bit means
    // the background shows through.
    std::vector<uint8_t> mask;
    // The icon came from a 1-bit image (its colour image is its XOR half).
    bool monochrome = false;

    static constexpr int MaskStride(int w) { return int(DibRowSize(w, 1)); }
    bool MaskBit(int x, int y) const
    {
        return (mask[std::size_t(y) * MaskStride(width) + std::size_t(x / 8)] >> (7 - x % 8)) & 1;
    }
    uint32_t Pixel(int x, int y) const { return color[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// An icon handle: one counted reference to an immutable image. Every icon
// whose image, mask and monochrome flag are identical shares one image, so
// the handles of two such icons are equal pointers. A handle is owned by
// whoever received it and freed with DestroyIcon, exactly once.
using HICON = const IconData*;

// Makes a handle from a complete icon: a new reference to the image already
// held for an identical icon, or else to a new one. The sizes of color and
// mask must match width and height; an inconsistent icon gives nullptr.
HICON CreateIcon(IconData data);

// Another reference to the image of icon (nullptr for nullptr), destroyed
// with DestroyIcon like any other.
HICON CopyIcon(HICON icon);

// Frees a handle: one reference; the image goes with its last one. Returns
// false (and does nothing) for nullptr.
bool DestroyIcon(HICON icon);

// Number of handles made and not yet destroyed, in this process: references,
// however many images they share.
long LiveIconCount();

// Number of distinct images the handles alive share.
long SharedIconImageCount();

// How images are told apart before they are compared in full. Tests replace
// it to force two different images onto one hash; nullptr restores XXH3.
// Images made under another hash are not found again after a change, so it
// is changed only while no other thread makes icons.
using IconHashFunction = uint64_t (*)(const IconData& icon);
void SetIconHashFunction(IconHashFunction hash);

struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
// A handle that destroys itself.
using UniqueIcon = std::unique_ptr<const IconData, IconDestroyer>;

} // namespace orbisk

#pragma once

#include <cstdint>
#include <vector>

namespace orbisk {

// The large-icon size (SM_CXICON, SM_CYICON): every extracted icon and every
// exported bitmap is this many pixels square.
constexpr int LargeIconSize = 32;

// What a look at an image's header tells: enough to choose among the images
// of a group without decoding any of them.
struct ImageInfo {
    int width = 0;
    int height = 0;
    int bits = 0; // 1, 4, 8, 16, 24 or 32; a PNG counts as 32
    bool png = false;
};

// One decoded image at its own size, before it becomes a large icon.
struct DecodedImage {
    int width = 0;
    int height = 0;
    // Top-down 0xAARRGGBB, straight alpha: the file's alpha where it has one,
    // otherwise 255 where the mask is clear and 0 where it is set.
    std::vector<uint32_t> argb;
    // One byte per pixel, 1 where the background shows through (the AND mask).
    std::vector<uint8_t> mask;
    bool monochrome = false;
};

} // namespace orbisk

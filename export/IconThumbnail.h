#pragma once

#include "platform/base/Result.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orbisk {

// The picture a file manager shows for a file.
struct Thumbnail {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb; // 0xAARRGGBB, straight alpha, top-down rows
};

// The thumbnail of a file for a box of `size` x `size` pixels (size >= 1):
// the image of the group of its first icon whose longer side is the
// smallest at or above `size`, else the largest (see RankForSize), scaled
// down smoothly, keeping its shape, so that its longer side is `size` when
// it is larger; never enlarged. Fails when the file has no icon.
Result<Thumbnail> IconThumbnail(const std::string& path, int size);

// The same for a file's bytes held in memory.
Result<Thumbnail> IconThumbnailFromBytes(std::span<const uint8_t> bytes, int size);

// The size of an image of width x height brought down to fit `size`: its
// own when it fits, otherwise with its longer side `size` and the other in
// proportion, at least 1.
void ThumbnailSize(int width, int height, int size, int& toWidth, int& toHeight);

} // namespace orbisk

#pragma once

#include "platform/base/Result.h"

#include <cstdint>
#include <span>

namespace orbisk {

// How an image of an icon or cursor group is stored.
enum class ImageFormat : uint8_t { Dib, Png };

// What the bytes of a stored image were found to hold, from the image's own
// header, never from a directory entry.
struct StoredImageInfo {
    int width = 0;
    int height = 0;
    int bits = 0; // the DIB header's bit count; a PNG counts as 32
    ImageFormat format = ImageFormat::Dib;
    // How many of the bytes the image takes: a DIB's header, colour table,
    // colour rows and AND mask; a PNG up to the end of its IEND chunk.
    uint64_t extent = 0;
};

// Checks that `bytes` start with a whole icon image: a DIB whose header is
// one the decoders read, at most kMaxImageSide wide and tall, with every row
// of its colour image and AND mask present; or a PNG file whose first chunk
// is an IHDR within that size, whose chunks all lie within the bytes and
// which ends in an IEND chunk after image data. Bytes after the image are
// allowed (a resource may be padded). Only an image that passes is written
// into an icon or cursor file.
Result<StoredImageInfo> CheckStoredImage(std::span<const uint8_t> bytes);

} // namespace orbisk

#pragma once

#include "platform/extract/ByteSource.h"
#include "platform/pixels/IconImage.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orbisk {

// Ranks the images of a group for showing at `size` pixels, best first: the
// images whose longer side is at least `size`, smallest first, so that the
// picture is drawn from the nearest image that needs no enlarging; then the
// smaller ones, largest first. Of images with the same longer side, the
// larger area goes first, then the deeper colour, then the first stored.
std::vector<std::size_t> RankForSize(std::span<const ImageInfo> images, int size);

// The image that shows a file's first icon (icon 0, numbered as ExtractIcon
// numbers icons) best at `size` pixels: of the images of its group that
// decode, the first in RankForSize, at its own size. Reads the group's image
// headers and only the images it tries, so that a group of large images
// costs the memory of one of them. Fails when the file has no icon.
// `chosen` gets the size and depth of the image decoded.
Result<DecodedImage> DecodeFirstIconForSize(ByteSource& source, int size, ImageInfo* chosen = nullptr);

// The same for the file at path (only a regular file is opened) and for a
// file's bytes held in memory.
Result<DecodedImage> DecodeFirstIconForSize(const std::string& path, int size, ImageInfo* chosen = nullptr);
Result<DecodedImage> DecodeFirstIconForSizeFromBytes(std::span<const uint8_t> bytes, int size,
                                                     ImageInfo* chosen = nullptr);

// The image that shows icon n of the file at path (numbered as ExtractIcon
// numbers icons) best at `size` pixels: of the images of its group
// (ReadIconGroup) that decode, the first in RankForSize, at its own size.
// Fails when the file has no icon n or none of its images decodes.
Result<DecodedImage> DecodeIconForSize(const std::string& path, int n, int size, ImageInfo* chosen = nullptr);

} // namespace orbisk

#pragma once

#include "platform/base/ByteReader.h"
#include "platform/pixels/IconImage.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace orbisk {

// An icon image holds its colour (XOR) rows and then its AND mask, with the
// header's height counting both; a bitmap file holds colour rows only.
enum class DibUse { IconImage, BitmapFile };

// Where the parts of a device-independent bitmap lie, from its header alone.
struct DibGeometry {
    int width = 0;
    int height = 0; // the image's own height (half the header's for an icon)
    bool topDown = false;
    int bits = 0;
    uint32_t compression = 0;
    uint32_t headerSize = 0;
    uint64_t masksOffset = 0; // BI_BITFIELDS colour masks
    int maskCount = 0;
    uint64_t paletteOffset = 0;
    uint32_t paletteEntries = 0;
    uint32_t paletteEntrySize = 4; // 3 for a BITMAPCOREHEADER
    uint64_t pixelOffset = 0;
    uint64_t xorBytes = 0;
    uint64_t andBytes = 0; // icons only
    uint64_t TotalBytes() const { return pixelOffset + xorBytes + andBytes; }
};

// Reads the header at the start of `bytes` (which may hold just the header).
// Rejects sizes over kMaxImageSide, unknown depths and compressions.
Result<DibGeometry> ReadDibGeometry(const ByteReader& bytes, DibUse use);

// What the header says about the image, for choosing; the bits come from the
// header, never from a directory entry.
Result<ImageInfo> ProbeDib(const ByteReader& head);

// Decodes a whole DIB. A bitmap file's pixels may start elsewhere than right
// after the colour table (`pixelOffset`, from the file header); an offset
// past the bytes is an error. A missing or short AND mask counts as clear.
Result<DecodedImage> DecodeDib(const ByteReader& bytes, DibUse use, std::optional<uint64_t> pixelOffset = {});

// The BI_RLE4 / BI_RLE8 pixels of a bitmap file (DibRle.cpp); `palette`
// holds 1 << bits entries.
Result<DecodedImage> DecodeRleBitmap(const ByteReader& bytes, const DibGeometry& g,
                                     const std::vector<uint32_t>& palette);

} // namespace orbisk

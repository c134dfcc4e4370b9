// Whole-image checks for the images a group writer copies byte for byte. The
// decoders forgive a missing AND mask or a PNG cut short after its pixels; a
// file written for other programs gets only images that are complete.

#include "platform/extract/StoredImage.h"

#include "platform/extract/DibDecoder.h"
#include "platform/extract/PngDecoder.h"

namespace orbisk {

namespace {

constexpr uint32_t kChunkIdat = 0x49444154; // "IDAT"
constexpr uint32_t kChunkIend = 0x49454e44; // "IEND"
constexpr uint64_t kSignatureBytes = 8;
// Length, type and CRC around each chunk's data.
constexpr uint64_t kChunkOverhead = 12;
// The PNG format caps a chunk's length at 2^31 - 1.
constexpr uint32_t kMaxChunkLength = 0x7fffffffu;

// The end of the IEND chunk, walking the chunks from the signature. Each
// step moves on by at least 12 bytes, so the walk ends.
Result<uint64_t> PngExtent(const ByteReader& png)
{
    bool pixels = false;
    uint64_t at = kSignatureBytes;
    while (true) {
        auto length = png.U32BigEndian(at), type = png.U32BigEndian(at + 4);
        if (!length || !type)
            return Error { "PNG image cut short" };
        if (*length > kMaxChunkLength || !png.Fits(at, kChunkOverhead + *length))
            return Error { "PNG image cut short" };
        at += kChunkOverhead + *length;
        if (*type == kChunkIdat)
            pixels = true;
        if (*type == kChunkIend)
            return pixels ? Result<uint64_t>(at) : Error { "PNG image without pixels" };
    }
}

} // namespace

Result<StoredImageInfo> CheckStoredImage(std::span<const uint8_t> bytes)
{
    const ByteReader reader(bytes);
    if (HasPngSignature(reader)) {
        ORBISK_TRY(info, ProbePng(reader));
        ORBISK_TRY(extent, PngExtent(reader));
        return StoredImageInfo { info->width, info->height, info->bits, ImageFormat::Png, *extent };
    }
    ORBISK_TRY(g, ReadDibGeometry(reader, DibUse::IconImage));
    if (!reader.Fits(0, g->TotalBytes()))
        return Error { "image data cut short" };
    return StoredImageInfo { g->width, g->height, g->bits, ImageFormat::Dib, g->TotalBytes() };
}

} // namespace orbisk

#include "platform/extract/DibDecoder.h"

#include "platform/extract/ExtractLimits.h"
#include "platform/extract/IconRecords.h"
#include "platform/pixels/DibBits.h"

#include <bit>
#include <vector>

namespace orbisk {

namespace {

// Header fields common to both header kinds, before the layout is worked out.
struct RawHeader {
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;
    int bits = 0;
    uint32_t compression = BI_RGB;
    uint32_t clrUsed = 0;
};

Result<RawHeader> ReadRawHeader(const ByteReader& bytes)
{
    ORBISK_TRY(size, bytes.U32(0));
    RawHeader raw;
    raw.headerSize = *size;
    if (*size == BitmapCoreHeader::size) {
        ORBISK_TRY(core, bytes.Record<BitmapCoreHeader>(0));
        raw.width = core->width;
        raw.height = core->height;
        raw.bits = core->bitCount;
        return raw;
    }
    if (*size < BitmapInfoHeader::size || *size > 4096)
        return Error { "unknown bitmap header" };
    ORBISK_TRY(info, bytes.Record<BitmapInfoHeader>(0));
    raw.width = info->width;
    raw.height = info->height;
    raw.bits = info->bitCount;
    raw.compression = info->compression;
    raw.clrUsed = info->clrUsed;
    return raw;
}

Result<Ok> CheckCompression(const RawHeader& raw, DibUse use)
{
    switch (raw.compression) {
    case BI_RGB:
        return Ok {};
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (raw.bits == 16 || raw.bits == 32)
            return Ok {};
        break;
    case BI_RLE8:
        if (use == DibUse::BitmapFile && raw.bits == 8)
            return Ok {};
        break;
    case BI_RLE4:
        if (use == DibUse::BitmapFile && raw.bits == 4)
            return Ok {};
        break;
    default:
        break;
    }
    return Error { "unsupported bitmap compression" };
}

// Colour masks: three (or four) DWORDs after a 40-byte header, or inside the
// V2 to V5 headers, which start them at the same place.
void PlaceMasks(DibGeometry& g)
{
    g.masksOffset = BitmapInfoHeader::size;
    if (g.compression != BI_BITFIELDS && g.compression != BI_ALPHABITFIELDS) {
        g.maskCount = 0;
        return;
    }
    if (g.headerSize == BitmapInfoHeader::size)
        g.maskCount = g.compression == BI_ALPHABITFIELDS ? 4 : 3;
    else
        g.maskCount = g.headerSize >= 56 ? 4 : 3;
}

uint32_t PaletteEntries(const RawHeader& raw, const DibGeometry& g)
{
    if (g.headerSize == BitmapCoreHeader::size)
        return raw.bits <= 8 ? (1u << raw.bits) : 0;
    if (raw.bits <= 8) {
        const uint32_t full = 1u << raw.bits;
        return raw.clrUsed == 0 || raw.clrUsed > full ? full : raw.clrUsed;
    }
    // Deeper images may carry a colour table for palette devices; it is
    // skipped, but it moves the pixels.
    return raw.clrUsed;
}

} // namespace

Result<DibGeometry> ReadDibGeometry(const ByteReader& bytes, DibUse use)
{
    ORBISK_TRY(raw, ReadRawHeader(bytes));
    if (!IsDibBitCount(raw->bits))
        return Error { "unsupported colour depth" };
    ORBISK_TRY_VOID(CheckCompression(*raw, use));
    DibGeometry g;
    g.headerSize = raw->headerSize;
    g.bits = raw->bits;
    g.compression = raw->compression;
    g.width = int(raw->width > 0 && raw->width <= kMaxImageSide ? raw->width : 0);
    int64_t height = raw->height;
    if (use == DibUse::IconImage) {
        height /= 2;
    } else if (height < 0 && g.headerSize != BitmapCoreHeader::size) {
        g.topDown = true;
        height = -height;
    }
    g.height = int(height > 0 && height <= kMaxImageSide ? height : 0);
    if (g.width == 0 || g.height == 0)
        return Error { "bad image size" };
    if (g.topDown && (g.compression == BI_RLE4 || g.compression == BI_RLE8))
        return Error { "top-down bitmaps are never compressed" };
    PlaceMasks(g);
    g.paletteEntrySize = g.headerSize == BitmapCoreHeader::size ? 3 : 4;
    g.paletteEntries = PaletteEntries(*raw, g);
    if (g.paletteEntries > 65536)
        return Error { "colour table too large" };
    const uint64_t masksAfterHeader = g.headerSize == BitmapInfoHeader::size ? uint64_t(g.maskCount) * 4 : 0;
    g.paletteOffset = uint64_t(g.headerSize) + masksAfterHeader;
    g.pixelOffset = g.paletteOffset + uint64_t(g.paletteEntries) * g.paletteEntrySize;
    g.xorBytes = DibRowSize(g.width, g.bits) * uint64_t(g.height);
    if (use == DibUse::IconImage)
        g.andBytes = DibRowSize(g.width, 1) * uint64_t(g.height);
    return g;
}

Result<ImageInfo> ProbeDib(const ByteReader& head)
{
    ORBISK_TRY(g, ReadDibGeometry(head, DibUse::IconImage));
    return ImageInfo { g->width, g->height, g->bits, false };
}

} // namespace orbisk

namespace orbisk {

namespace {

// One colour channel of a BI_BITFIELDS image, widened to 8 bits by bit
// replication (a 5-bit 31 becomes 255, as for the 5-5-5 default).
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int width = 0;

    static Channel Of(uint32_t mask)
    {
        if (mask == 0)
            return {};
        const int shift = std::countr_zero(mask);
        return Channel { mask, shift, std::countr_one(mask >> shift) };
    }
    uint8_t Get(uint32_t value) const
    {
        if (width == 0)
            return 0;
        uint32_t x = (value & mask) >> shift;
        if (width >= 8)
            return uint8_t(x >> (width - 8));
        x &= (1u << width) - 1;
        uint32_t r = x << (8 - width);
        for (int s = width; s < 8; s *= 2)
            r |= r >> s;
        return uint8_t(r);
    }
};

struct PixelFormat {
    int bits = 0;
    std::vector<uint32_t> palette; // 0xFFRRGGBB
    Channel red, green, blue, alpha;
    bool hasAlpha = false; // a 32-bit image with an alpha channel
    bool plainRgb = false; // 24 or 32 bits, blue-green-red(-alpha) bytes
};

uint32_t Argb(uint8_t a, uint8_t r, uint8_t g, uint8_t b)
{
    return (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

Result<PixelFormat> ReadFormat(const ByteReader& bytes, const DibGeometry& g)
{
    PixelFormat f;
    f.bits = g.bits;
    if (g.bits <= 8) {
        auto table = bytes.Bytes(g.paletteOffset, uint64_t(g.paletteEntries) * g.paletteEntrySize);
        if (!table)
            return Error { "colour table cut short" };
        ByteReader t(*table);
        f.palette.resize(std::size_t(1) << g.bits, 0xff000000u);
        for (uint32_t i = 0; i < g.paletteEntries && i < f.palette.size(); ++i) {
            auto rgb = t.Bytes(uint64_t(i) * g.paletteEntrySize, 3);
            f.palette[i] = Argb(255, (*rgb)[2], (*rgb)[1], (*rgb)[0]);
        }
        return f;
    }
    uint32_t masks[4] = { 0, 0, 0, 0 };
    if (g.maskCount > 0) {
        for (int i = 0; i < g.maskCount; ++i) {
            auto m = bytes.U32(g.masksOffset + uint64_t(i) * 4);
            if (!m)
                return Error { "colour masks cut short" };
            masks[i] = *m;
        }
    } else if (g.bits == 16) {
        masks[0] = 0x7c00, masks[1] = 0x03e0, masks[2] = 0x001f;
    } else {
        masks[0] = 0xff0000, masks[1] = 0xff00, masks[2] = 0xff, masks[3] = g.bits == 32 ? 0xff000000u : 0;
    }
    f.red = Channel::Of(masks[0]), f.green = Channel::Of(masks[1]), f.blue = Channel::Of(masks[2]);
    f.alpha = Channel::Of(masks[3]);
    f.hasAlpha = g.bits == 32 && masks[3] != 0;
    f.plainRgb = g.bits == 24 || (g.bits == 32 && masks[0] == 0xff0000 && masks[1] == 0xff00 && masks[2] == 0xff);
    return f;
}

// Colours of one stored row; the alpha byte is the channel's value for
// images that have one and 255 otherwise. One loop per depth: this runs for
// every pixel of every icon a scan shows.
void DecodeRow(std::span<const uint8_t> row, uint32_t* dst, int width, const PixelFormat& f)
{
    const std::size_t w = std::size_t(width);
    switch (f.bits) {
    case 1:
        for (std::size_t x = 0; x < w; ++x)
            dst[x] = f.palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
        return;
    case 4:
        for (std::size_t x = 0; x < w; ++x)
            dst[x] = f.palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xf];
        return;
    case 8:
        for (std::size_t x = 0; x < w; ++x)
            dst[x] = f.palette[row[x]];
        return;
    case 24:
        for (std::size_t x = 0, i = 0; x < w; ++x, i += 3)
            dst[x] = Argb(255, row[i + 2], row[i + 1], row[i]);
        return;
    default:
        break;
    }
    if (f.plainRgb) {
        for (std::size_t x = 0, i = 0; x < w; ++x, i += 4)
            dst[x] = Argb(f.hasAlpha ? row[i + 3] : 255, row[i + 2], row[i + 1], row[i]);
        return;
    }
    const std::size_t step = std::size_t(f.bits / 8);
    for (std::size_t x = 0, i = 0; x < w; ++x, i += step) {
        uint32_t v = row[i] | (uint32_t(row[i + 1]) << 8);
        if (step == 4)
            v |= (uint32_t(row[i + 2]) << 16) | (uint32_t(row[i + 3]) << 24);
        const uint8_t a = f.hasAlpha ? f.alpha.Get(v) : 255;
        dst[x] = Argb(a, f.red.Get(v), f.green.Get(v), f.blue.Get(v));
    }
}

// The AND mask, bottom-up like the colour rows; rows the data lacks are clear.
void ReadAndMask(const ByteReader& bytes, const DibGeometry& g, DecodedImage& out)
{
    const uint64_t stride = DibRowSize(g.width, 1);
    const uint64_t start = g.pixelOffset + g.xorBytes;
    for (int y = 0; y < g.height; ++y) {
        auto row = bytes.Bytes(start + uint64_t(g.height - 1 - y) * stride, stride);
        if (!row)
            continue;
        for (int x = 0; x < g.width; ++x)
            out.mask[std::size_t(y) * std::size_t(g.width) + std::size_t(x)]
                = ((*row)[std::size_t(x) >> 3] >> (7 - (x & 7))) & 1;
    }
}

// Alpha from the file where it has some; an all-zero alpha channel (and
// every image without one) means the AND mask decides.
void SettleAlpha(const PixelFormat& f, DibUse use, DecodedImage& out)
{
    bool anyAlpha = false;
    if (f.hasAlpha) {
        for (uint32_t p : out.argb)
            anyAlpha |= (p >> 24) != 0;
    }
    for (std::size_t i = 0; i < out.argb.size(); ++i) {
        if (anyAlpha) {
            if (use == DibUse::BitmapFile)
                out.mask[i] = (out.argb[i] >> 24) < 128;
            continue;
        }
        const uint32_t a = out.mask[i] ? 0u : 255u;
        out.argb[i] = (out.argb[i] & 0x00ffffffu) | (a << 24);
    }
}

} // namespace

Result<DecodedImage> DecodeDib(const ByteReader& bytes, DibUse use, std::optional<uint64_t> pixelOffset)
{
    ORBISK_TRY(geometry, ReadDibGeometry(bytes, use));
    DibGeometry& g = *geometry;
    if (pixelOffset && *pixelOffset >= bytes.Size())
        return Error { "pixels outside the image" };
    if (pixelOffset && *pixelOffset >= g.paletteOffset)
        g.pixelOffset = *pixelOffset;
    ORBISK_TRY(format, ReadFormat(bytes, g));
    if (g.compression == BI_RLE4 || g.compression == BI_RLE8)
        return DecodeRleBitmap(bytes, g, format->palette);
    const uint64_t stride = DibRowSize(g.width, g.bits);
    auto pixels = bytes.Bytes(g.pixelOffset, g.xorBytes);
    if (!pixels)
        return Error { "image data cut short" };
    DecodedImage out;
    out.width = g.width;
    out.height = g.height;
    out.monochrome = g.bits == 1;
    out.argb.resize(std::size_t(g.width) * std::size_t(g.height));
    out.mask.assign(out.argb.size(), 0);
    for (int y = 0; y < g.height; ++y) {
        const uint64_t stored = g.topDown ? uint64_t(y) : uint64_t(g.height - 1 - y);
        const auto row = pixels->subspan(stored * stride, stride);
        DecodeRow(row, out.argb.data() + std::size_t(y) * std::size_t(g.width), g.width, *format);
    }
    if (use == DibUse::IconImage)
        ReadAndMask(bytes, g, out);
    SettleAlpha(*format, use, out);
    return out;
}

} // namespace orbisk

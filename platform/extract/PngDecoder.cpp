#include "platform/extract/PngDecoder.h"

#include "platform/extract/ExtractLimits.h"

#include <QImage>

#include <cstring>

namespace orbisk {

namespace {
constexpr uint8_t kSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };
}

bool HasPngSignature(const ByteReader& head)
{
    auto sig = head.Bytes(0, sizeof(kSignature));
    return sig && std::memcmp(sig->data(), kSignature, sizeof(kSignature)) == 0;
}

Result<ImageInfo> ProbePng(const ByteReader& head)
{
    if (!HasPngSignature(head))
        return Error { "not a PNG image" };
    // The first chunk must be IHDR: length 13, then the name, width, height.
    auto length = head.U32BigEndian(8), name = head.U32BigEndian(12);
    auto width = head.U32BigEndian(16), height = head.U32BigEndian(20);
    if (!length || !name || !width || !height)
        return Error { "PNG header cut short" };
    if (*length != 13 || *name != 0x49484452u)
        return Error { "PNG without IHDR" };
    if (*width == 0 || *height == 0 || *width > uint32_t(kMaxImageSide) || *height > uint32_t(kMaxImageSide))
        return Error { "bad image size" };
    return ImageInfo { int(*width), int(*height), 32, true };
}

Result<DecodedImage> DecodePng(const ByteReader& bytes)
{
    auto info = ProbePng(bytes);
    if (!info)
        return info.AsError();
    QImage image;
    const auto all = bytes.All();
    if (all.size() > uint64_t(INT32_MAX)
        || !image.loadFromData(reinterpret_cast<const uchar*>(all.data()), int(all.size()), "PNG"))
        return Error { "undecodable PNG image" };
    if (image.width() != info->width || image.height() != info->height)
        return Error { "undecodable PNG image" };
    image = image.convertToFormat(QImage::Format_ARGB32);
    DecodedImage out;
    out.width = image.width();
    out.height = image.height();
    out.argb.resize(std::size_t(out.width) * std::size_t(out.height));
    out.mask.resize(out.argb.size());
    for (int y = 0; y < out.height; ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < out.width; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(out.width) + std::size_t(x);
            out.argb[i] = line[x];
            out.mask[i] = (line[x] >> 24) < 128;
        }
    }
    return out;
}

} // namespace orbisk

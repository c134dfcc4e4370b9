#include "platform/extract/IconGroupDecoder.h"

#include "platform/extract/DibDecoder.h"
#include "platform/extract/IconChoice.h"
#include "platform/extract/IconFitting.h"
#include "platform/extract/PngDecoder.h"

namespace orbisk {

namespace {

// Enough of an image's start for its header: a BITMAPINFOHEADER or the PNG
// signature with the IHDR size.
constexpr uint64_t kProbeBytes = 40;

struct Candidate {
    ImageLocation at;
    ImageInfo info;
    Bytes head; // the image's first bytes
};

Result<ImageInfo> Probe(const ImageLocation& at, const Bytes& head)
{
    const ByteReader reader(head);
    if (at.bitmapFile) {
        auto g = ReadDibGeometry(reader, DibUse::BitmapFile);
        if (!g)
            return g.AsError();
        return ImageInfo { g->width, g->height, g->bits, false };
    }
    return HasPngSignature(reader) ? ProbePng(reader) : ProbeDib(reader);
}

Result<DecodedImage> DecodeImage(ByteSource& source, const Candidate& c)
{
    uint64_t length = c.at.size;
    if (!c.info.png && !c.at.bitmapFile) {
        // Read only what the header says the image needs, whatever the
        // directory claims.
        auto g = ReadDibGeometry(ByteReader(c.head), DibUse::IconImage);
        if (!g)
            return g.AsError();
        length = g->TotalBytes() < length ? g->TotalBytes() : length;
    }
    auto bytes = source.Read(c.at.offset, length);
    if (!bytes)
        return bytes.AsError();
    const ByteReader reader(*bytes);
    if (c.info.png)
        return DecodePng(reader);
    return DecodeDib(reader, c.at.bitmapFile ? DibUse::BitmapFile : DibUse::IconImage, c.at.pixelOffset);
}

} // namespace

Result<IconData> DecodeGroup(ByteSource& source, IconContainer& container, uint32_t g, ImageInfo* chosen)
{
    auto images = container.GroupImages(source, g);
    if (!images)
        return images.AsError();
    std::vector<Candidate> candidates;
    std::vector<ImageInfo> infos;
    for (const ImageLocation& at : *images) {
        auto head = source.Peek(at.offset, at.size < kProbeBytes ? at.size : kProbeBytes);
        if (!head)
            continue;
        auto info = Probe(at, *head);
        if (!info)
            continue;
        candidates.push_back({ at, *info, std::move(*head) });
        infos.push_back(*info);
    }
    for (std::size_t i : PreferenceOrder(infos)) {
        auto image = DecodeImage(source, candidates[i]);
        if (!image)
            continue;
        if (chosen)
            *chosen = candidates[i].info;
        return candidates[i].at.bitmapFile ? FitBitmap(*image) : FitIcon(*image);
    }
    return Error { "no image of the group could be decoded" };
}

} // namespace orbisk

#include "platform/extract/IconGroupDecoder.h"

#include "platform/extract/DibDecoder.h"
#include "platform/extract/PngDecoder.h"

#include <algorithm>

namespace orbisk {

namespace {

// Enough of an image's start for its header: a BITMAPINFOHEADER or the PNG
// signature with the IHDR size.
constexpr uint64_t kProbeBytes = 40;

using Candidate = ImageCandidate;

Result<ImageInfo> Probe(const ImageLocation& at, const Bytes& head)
{
    const ByteReader reader(head);
    if (at.bitmapFile) {
        ORBISK_TRY(g, ReadDibGeometry(reader, DibUse::BitmapFile));
        return ImageInfo { g->width, g->height, g->bits, false };
    }
    return HasPngSignature(reader) ? ProbePng(reader) : ProbeDib(reader);
}

// `keep`: the image is likely to be read next, so its first bytes go
// through the source's cache rather than around it.
Result<Candidate> Look(ByteSource& source, const ImageLocation& at, bool keep)
{
    const uint64_t length = at.size < kProbeBytes ? at.size : kProbeBytes;
    ORBISK_TRY(head, keep ? source.Read(at.offset, length) : source.Peek(at.offset, length));
    ORBISK_TRY(info, Probe(at, *head));
    return Candidate { at, *info, std::move(*head) };
}

} // namespace

Result<DecodedImage> DecodeCandidate(ByteSource& source, const ImageCandidate& c)
{
    uint64_t length = c.at.size;
    if (!c.info.png && !c.at.bitmapFile) {
        // Read only what the header says the image needs, whatever the
        // directory claims.
        ORBISK_TRY(g, ReadDibGeometry(ByteReader(c.head), DibUse::IconImage));
        length = g->TotalBytes() < length ? g->TotalBytes() : length;
    }
    ORBISK_TRY(bytes, source.Read(c.at.offset, length));
    const ByteReader reader(*bytes);
    if (c.info.png)
        return DecodePng(reader);
    return DecodeDib(reader, c.at.bitmapFile ? DibUse::BitmapFile : DibUse::IconImage, c.at.pixelOffset);
}

namespace {

// A group may name one image many times; it is looked at once. Groups hold
// at most kMaxGroupEntries images, so comparing each with those before it
// stays cheap.
void DropRepeats(std::vector<ImageLocation>& images)
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const bool seen = std::any_of(images.begin(), images.begin() + std::ptrdiff_t(kept), [&](const auto& a) {
            return a.offset == images[i].offset && a.size == images[i].size;
        });
        if (!seen)
            images[kept++] = images[i];
    }
    images.resize(kept);
}

} // namespace

Result<std::vector<ImageCandidate>> RankedImages(ByteSource& source, IconContainer& container, uint32_t g,
                                                 const ImageRanking& ranking)
{
    if (container.Budget().failedDecodes == 0)
        return Error { "too many broken images in this file" };
    ORBISK_TRY(images, container.GroupImages(source, g));
    return RankImages(source, std::move(*images), ranking);
}

Result<std::vector<ImageCandidate>> RankImages(ByteSource& source, std::vector<ImageLocation> images,
                                               const ImageRanking& ranking)
{
    DropRepeats(images);
    std::vector<Candidate> candidates;
    std::vector<ImageInfo> infos;
    for (const ImageLocation& at : images) {
        auto candidate = Look(source, at, false);
        if (!candidate)
            continue;
        infos.push_back(candidate->info);
        candidates.push_back(std::move(*candidate));
    }
    std::vector<ImageCandidate> ranked;
    for (std::size_t i : ranking(infos))
        ranked.push_back(std::move(candidates[i]));
    return ranked;
}

Result<DecodedImage> DecodeRankedImage(ByteSource& source, IconContainer& container, uint32_t g,
                                       const ImageRanking& ranking, ImageInfo* chosen)
{
    ORBISK_TRY(ranked, RankedImages(source, container, g, ranking));
    for (const ImageCandidate& c : *ranked) {
        auto image = DecodeCandidate(source, c);
        if (!image) {
            if (!ImageBudget::Spend(container.Budget().failedDecodes))
                break;
            continue;
        }
        if (chosen)
            *chosen = c.info;
        return image;
    }
    return Error { "no image of the group could be decoded" };
}

bool GroupYields(ByteSource& source, IconContainer& container, uint32_t g)
{
    if (container.Budget().failedDecodes == 0)
        return false;
    auto images = container.GroupImages(source, g);
    if (!images)
        return false;
    DropRepeats(*images);
    std::stable_sort(images->begin(), images->end(),
                     [](const ImageLocation& a, const ImageLocation& b) { return a.size < b.size; });
    for (const ImageLocation& at : *images) {
        auto candidate = Look(source, at, true);
        if (!candidate)
            continue;
        if (DecodeCandidate(source, *candidate))
            return true;
        if (!ImageBudget::Spend(container.Budget().failedDecodes))
            return false;
    }
    return false;
}

} // namespace orbisk

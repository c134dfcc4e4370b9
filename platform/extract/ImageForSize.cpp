#include "platform/extract/ImageForSize.h"

#include "platform/extract/FileSource.h"
#include "platform/extract/IconGroup.h"
#include "platform/extract/IconDecoders.h"
#include "platform/extract/IconGroupDecoder.h"
#include "platform/files/RegularFile.h"

#include <algorithm>
#include <numeric>

namespace orbisk {

namespace {

int LongerSide(const ImageInfo& i) { return std::max(i.width, i.height); }

} // namespace

std::vector<std::size_t> RankForSize(std::span<const ImageInfo> images, int size)
{
    std::vector<std::size_t> order(images.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    auto better = [&](std::size_t a, std::size_t b) {
        const ImageInfo& x = images[a];
        const ImageInfo& y = images[b];
        const bool bigX = LongerSide(x) >= size, bigY = LongerSide(y) >= size;
        if (bigX != bigY)
            return bigX;
        if (LongerSide(x) != LongerSide(y))
            return bigX ? LongerSide(x) < LongerSide(y) : LongerSide(x) > LongerSide(y);
        const long areaX = long(x.width) * x.height, areaY = long(y.width) * y.height;
        if (areaX != areaY)
            return areaX > areaY;
        return x.bits > y.bits;
    };
    std::stable_sort(order.begin(), order.end(), better);
    return order;
}

Result<DecodedImage> DecodeFirstIconForSize(ByteSource& source, int size, ImageInfo* chosen)
{
    ORBISK_TRY(container, OpenIconContainer(source));
    const ImageRanking rank = [size](std::span<const ImageInfo> images) { return RankForSize(images, size); };
    // Icon 0 is the first group with an image that decodes, as IconNumbering
    // counts; the group's images are tried in the order the size asks for.
    for (uint32_t g = 0; g < (*container)->GroupCount(); ++g) {
        if (auto image = DecodeRankedImage(source, **container, g, rank, chosen))
            return image;
    }
    return Error { "no icon in the file" };
}

Result<DecodedImage> DecodeFirstIconForSize(const std::string& path, int size, ImageInfo* chosen)
{
    ORBISK_TRY(file, RegularFile::Open(path));
    BlockCache blocks;
    FileSource source(file->Descriptor(), file->Size(), blocks);
    return DecodeFirstIconForSize(source, size, chosen);
}

Result<DecodedImage> DecodeFirstIconForSizeFromBytes(std::span<const uint8_t> bytes, int size, ImageInfo* chosen)
{
    MemorySource source(bytes);
    return DecodeFirstIconForSize(source, size, chosen);
}

Result<DecodedImage> DecodeIconForSize(const std::string& path, int n, int size, ImageInfo* chosen)
{
    ORBISK_TRY(group, ReadIconGroup(path, n));
    std::vector<ImageInfo> infos;
    infos.reserve(group->images.size());
    for (const GroupImage& image : group->images)
        infos.push_back({ image.width, image.height, image.bits, image.format == ImageFormat::Png });
    for (std::size_t i : RankForSize(infos, size)) {
        if (auto image = DecodeGroupImage(*group, i)) {
            if (chosen)
                *chosen = infos[i];
            return image;
        }
    }
    return Error { "no image of the icon decodes" };
}

} // namespace orbisk

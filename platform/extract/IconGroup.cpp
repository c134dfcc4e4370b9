#include "platform/extract/IconGroup.h"

#include "platform/extract/DibDecoder.h"
#include "platform/extract/IconDecoders.h"
#include "platform/extract/NumberedFile.h"
#include "platform/extract/PngDecoder.h"

#include <algorithm>
#include <numeric>

namespace orbisk {

namespace {

// One image of an icon or cursor group, checked whole. `room` is what the
// group may still hold.
Result<GroupImage> ReadImage(ByteSource& source, const ImageLocation& at, uint64_t room)
{
    if (at.size > room)
        return Error { "the group's images are too large" };
    ORBISK_TRY(bytes, source.Read(at.offset, at.size));
    ORBISK_TRY(info, CheckStoredImage(*bytes));
    // What follows an NE image up to the next alignment unit is padding.
    if (at.unpaddedSize >= info->extent)
        bytes->resize(at.unpaddedSize);
    return GroupImage { info->width, info->height, info->bits, info->format, std::move(*bytes),
                        at.hotspot.value_or(Hotspot {}) };
}

// A bitmap file's one image is the file up to the end of its pixels.
Result<GroupImage> ReadBitmap(ByteSource& source, const ImageLocation& at)
{
    ORBISK_TRY(bytes, source.Read(0, at.offset + at.size));
    auto dib = ByteReader(*bytes).Sub(at.offset, at.size);
    ORBISK_TRY(g, dib ? ReadDibGeometry(*dib, DibUse::BitmapFile) : Result<DibGeometry>(dib.AsError()));
    return GroupImage { g->width, g->height, g->bits, ImageFormat::Dib, std::move(*bytes), Hotspot {} };
}

Result<IconGroup> ReadNumbered(ByteSource& source, IconNumbering& numbering, int n)
{
    ORBISK_TRY(g, numbering.Group(source, n));
    return ReadGroup(source, *numbering.Container(), *g);
}

Result<GroupResource> ResourceNumbered(ByteSource& source, IconNumbering& numbering, int n)
{
    ORBISK_TRY(g, numbering.Group(source, n));
    return numbering.Container()->ResourceOf(source, *g);
}

// What `read` reads of icon n of the file at path, through the thread's
// kept directory.
template <class T>
Result<T> ReadFromFile(NumberedFile& kept, const std::string& path, int n,
                       Result<T> (*read)(ByteSource&, IconNumbering&, int))
{
    auto file = RegularFile::Open(path);
    if (!file) {
        kept.Forget();
        return file.AsError();
    }
    FileSource source = kept.Use(path, *file);
    return read(source, kept.Numbering(), n);
}

Result<IconGroup> ReadFromBytes(std::span<const uint8_t> bytes, NumberedFile::Opener open, int n)
{
    MemorySource source(bytes);
    ORBISK_TRY(container, open(source));
    IconNumbering numbering(std::move(*container));
    return ReadNumbered(source, numbering, n);
}

Result<DecodedImage> DecodeBitmapFile(const Bytes& file)
{
    MemorySource source(file);
    auto head = source.Head(kSniffBytes);
    ORBISK_TRY(bitmap, head ? OpenBitmapFile(source, ByteReader(*head)) : Result<ContainerPtr>(head.AsError()));
    auto images = (*bitmap)->GroupImages(source, 0);
    if (!images || images->empty())
        return Error { "not a bitmap file" };
    const ImageLocation& at = images->front();
    ORBISK_TRY(dib, ByteReader(file).Sub(at.offset, at.size));
    return DecodeDib(*dib, DibUse::BitmapFile, at.pixelOffset);
}

} // namespace

Result<IconGroup> ReadGroup(ByteSource& source, IconContainer& container, uint32_t g)
{
    ORBISK_TRY(images, container.GroupImages(source, g));
    IconGroup group;
    group.kind = container.Kind();
    uint64_t held = 0;
    for (const ImageLocation& at : *images) {
        auto image = group.kind == GroupKind::Bitmap ? ReadBitmap(source, at)
                                                     : ReadImage(source, at, kMaxGroupBytes - held);
        if (!image) {
            group.leftOut.push_back({ at.entry, image.error() });
            continue;
        }
        held += image->bytes.size();
        group.images.push_back(std::move(*image));
    }
    return group;
}

Result<IconGroup> ReadIconGroup(const std::string& path, int n)
{
    return ReadFromFile(NumberedFile::IconsOfThisThread(), path, n, ReadNumbered);
}

Result<IconGroup> ReadCursorGroup(const std::string& path, int n)
{
    return ReadFromFile(NumberedFile::CursorsOfThisThread(), path, n, ReadNumbered);
}

Result<GroupResource> ReadIconResource(const std::string& path, int n)
{
    return ReadFromFile(NumberedFile::IconsOfThisThread(), path, n, ResourceNumbered);
}

Result<GroupResource> ReadCursorResource(const std::string& path, int n)
{
    return ReadFromFile(NumberedFile::CursorsOfThisThread(), path, n, ResourceNumbered);
}

Result<IconGroup> ReadIconGroupFromBytes(std::span<const uint8_t> bytes, int n)
{
    return ReadFromBytes(bytes, OpenIconContainer, n);
}

Result<IconGroup> ReadCursorGroupFromBytes(std::span<const uint8_t> bytes, int n)
{
    return ReadFromBytes(bytes, OpenCursorContainer, n);
}

Result<DecodedImage> DecodeGroupImage(const IconGroup& group, std::size_t i)
{
    if (i >= group.images.size())
        return Error { "no such image" };
    const GroupImage& image = group.images[i];
    if (group.kind == GroupKind::Bitmap)
        return DecodeBitmapFile(image.bytes);
    const ByteReader reader(image.bytes);
    return image.format == ImageFormat::Png ? DecodePng(reader) : DecodeDib(reader, DibUse::IconImage);
}

std::vector<std::size_t> LargestFirst(const IconGroup& group)
{
    std::vector<std::size_t> order(group.images.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const GroupImage& x = group.images[a];
        const GroupImage& y = group.images[b];
        const long areaX = long(x.width) * x.height, areaY = long(y.width) * y.height;
        return areaX != areaY ? areaX > areaY : x.bits > y.bits;
    });
    return order;
}

std::size_t LargestImage(const IconGroup& group) { return LargestFirst(group).front(); }

} // namespace orbisk

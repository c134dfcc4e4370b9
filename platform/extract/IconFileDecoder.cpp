// Icon (.ico) and cursor (.cur) files: an ICONDIR and its images, which are
// the one group of the file.

#include "platform/extract/ExtractLimits.h"
#include "platform/extract/IconDecoders.h"
#include "platform/extract/IconRecords.h"

#include <algorithm>

namespace orbisk {

namespace {

class IconFile final : public IconContainer {
public:
    IconFile(std::vector<ImageLocation> images, GroupKind kind)
        : images_(std::move(images))
        , kind_(kind)
    {
    }
    uint32_t GroupCount() const override { return images_.empty() ? 0 : 1; }
    GroupKind Kind() const override { return kind_; }
    Result<std::vector<ImageLocation>> GroupImages(ByteSource&, uint32_t) override { return images_; }

private:
    std::vector<ImageLocation> images_;
    GroupKind kind_;
};

} // namespace

Result<ContainerPtr> OpenIconFile(ByteSource& source, const ByteReader& head)
{
    auto header = head.Record<IconDirHeader>(0);
    if (!header || header->reserved != 0 || (header->type != 1 && header->type != 2))
        return Error { "not an icon file" };
    // A count larger than the file can hold keeps the entries that fit.
    const uint64_t fits = (source.Size() - IconDirHeader::size) / IconDirEntry::size;
    const uint32_t count = uint32_t(std::min<uint64_t>({ header->count, kMaxGroupEntries, fits }));
    ORBISK_TRY(table, source.Read(IconDirHeader::size, uint64_t(count) * IconDirEntry::size));
    const ByteReader entries(*table);
    // A cursor file keeps each image's hot spot where an icon file has its
    // planes and bit count.
    const bool cursor = header->type == 2;
    std::vector<ImageLocation> images;
    for (uint32_t i = 0; i < count; ++i) {
        auto e = entries.Record<IconDirEntry>(uint64_t(i) * IconDirEntry::size);
        auto at = ClampToFile(e->imageOffset, e->bytesInRes, source.Size());
        if (!at)
            continue;
        at->entry = i;
        if (cursor)
            at->hotspot = Hotspot { e->planes, e->bitCount };
        images.push_back(*at);
    }
    if (images.empty())
        return Error { "icon file without images" };
    return ContainerPtr(new IconFile(std::move(images), cursor ? GroupKind::Cursor : GroupKind::Icon));
}

Result<ContainerPtr> OpenCursorFile(ByteSource& source, const ByteReader& head)
{
    auto header = head.Record<IconDirHeader>(0);
    if (!header || header->type != 2)
        return Error { "not a cursor file" };
    return OpenIconFile(source, head);
}

} // namespace orbisk

#include "platform/extract/IconDecoders.h"

#include "platform/extract/IconRecords.h"
#include "platform/extract/ResourceIconContainer.h"

namespace orbisk {

namespace {

bool StartsWith(const ByteReader& head, uint16_t magic)
{
    auto v = head.U16(0);
    return v && *v == magic;
}

bool SniffMz(const ByteReader& head) { return StartsWith(head, 0x5a4d); }

bool SniffIconFile(const ByteReader& head)
{
    auto h = head.Record<IconDirHeader>(0);
    return h && h->reserved == 0 && (h->type == 1 || h->type == 2) && h->count > 0;
}

bool SniffBitmap(const ByteReader& head) { return StartsWith(head, 0x4d42); }

// A program format's open function for the groups of one kind.
template <Result<ContainerPtr> (*Open)(ByteSource&, const ByteReader&, const ResourceTypes&), const ResourceTypes& Types>
Result<ContainerPtr> OpenGroups(ByteSource& source, const ByteReader& head)
{
    return Open(source, head, Types);
}

constexpr IconDecoder kDecoders[] = {
    { "PE", SniffMz, OpenGroups<OpenPe, kIconResources>, OpenGroups<OpenPe, kCursorResources> },
    { "NE", SniffMz, OpenGroups<OpenNe, kIconResources>, OpenGroups<OpenNe, kCursorResources> },
    { "ICO/CUR", SniffIconFile, OpenIconFile, OpenCursorFile },
    { "BMP", SniffBitmap, OpenBitmapFile, nullptr },
};

Result<ContainerPtr> OpenWith(ByteSource& source, IconDecoder::Open IconDecoder::*open, Error none)
{
    ORBISK_TRY(head, source.Head(kSniffBytes));
    const ByteReader reader(*head);
    for (const IconDecoder& d : IconDecoders()) {
        if (!(d.*open) || !d.sniff(reader))
            continue;
        auto container = (d.*open)(source, reader);
        if (container)
            return container;
    }
    return none;
}

} // namespace

std::span<const IconDecoder> IconDecoders() { return kDecoders; }

Result<ContainerPtr> OpenIconContainer(ByteSource& source)
{
    return OpenWith(source, &IconDecoder::open, Error { "no icons in this file" });
}

Result<ContainerPtr> OpenCursorContainer(ByteSource& source)
{
    return OpenWith(source, &IconDecoder::openCursors, Error { "no cursors in this file" });
}

Result<ImageLocation> ClampToFile(uint64_t offset, uint64_t size, uint64_t fileSize)
{
    if (offset >= fileSize || size == 0)
        return Error { "image outside the file" };
    ImageLocation at;
    at.offset = offset;
    at.size = size <= fileSize - offset ? size : fileSize - offset;
    return at;
}

} // namespace orbisk

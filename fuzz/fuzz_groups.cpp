// Fuzzes the group reader and writer with whole files. Every icon and cursor
// group of the input is read, and the resource name of each icon's group;
// the icons' groups are numbered exactly as the icons are; every image a
// group holds is whole, within the caps, and decodes or fails cleanly; and
// every group written as an icon or cursor file reads back with the same
// images, byte for byte, and hot spots. The file's thumbnails at several
// sizes fit their size and, where the icon's group decodes whole, come from
// the image the size calls for.

#include "export/FastPngWriter.h"
#include "export/GroupFileWriter.h"
#include "export/IconThumbnail.h"
#include "platform/extract/ByteSource.h"
#include "platform/extract/ExtractLimits.h"
#include "platform/extract/IconDecoders.h"
#include "platform/extract/IconFitting.h"
#include "platform/extract/IconGroup.h"
#include "platform/extract/IconNumbering.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdlib>

namespace {

// Qt's PNG reader reports damaged images on stderr; the fuzzer's output is
// clearer without them.
void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(Quiet);
    return 0;
}

// A real file has at most a few thousand groups; a few dozen show the rest.
constexpr int kGroupsTried = 40;

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

void CheckGroup(const orbisk::IconGroup& group)
{
    using namespace orbisk;
    Check(group.images.size() + group.leftOut.size() <= kMaxGroupEntries);
    uint64_t held = 0;
    for (std::size_t i = 0; i < group.images.size(); ++i) {
        const GroupImage& image = group.images[i];
        held += image.bytes.size();
        if (group.kind != GroupKind::Bitmap) {
            auto info = CheckStoredImage(image.bytes);
            Check(info && info->width == image.width && info->height == image.height && info->bits == image.bits);
        }
        auto decoded = DecodeGroupImage(group, i);
        Check(!decoded || (decoded->width == image.width && decoded->height == image.height));
    }
    Check(held <= kMaxGroupBytes);
}

// Written out and read back, a group keeps its images and hot spots.
void CheckRoundTrip(const orbisk::IconGroup& group)
{
    using namespace orbisk;
    if (group.images.empty() || group.kind == GroupKind::Bitmap)
        return;
    MemoryStream out;
    WriteGroupStream(out, group); // throws, and so aborts, on anything unverified
    // Read as a group, not as icon 0: whether an image decodes is no matter
    // here.
    MemorySource written(out.Bytes());
    auto container = group.kind == GroupKind::Cursor ? OpenCursorContainer(written) : OpenIconContainer(written);
    Check(container.ok() && (*container)->Kind() == group.kind);
    auto again = ReadGroup(written, **container, 0);
    Check(again.ok() && again->leftOut.empty() && again->images.size() == group.images.size());
    for (std::size_t i = 0; i < group.images.size(); ++i)
        Check(again->images[i].bytes == group.images[i].bytes && again->images[i].hotspot == group.images[i].hotspot);
}

// The longer side of the image a thumbnail of `size` is drawn from: the
// smallest at or above it, else the largest.
int SourceSide(const orbisk::IconGroup& group, int size)
{
    int above = 0, largest = 0;
    for (const orbisk::GroupImage& image : group.images) {
        const int side = std::max(image.width, image.height);
        largest = std::max(largest, side);
        if (side >= size && (above == 0 || side < above))
            above = side;
    }
    return above ? above : largest;
}

// `group` is icon 0's group, or nullptr when the file has no icon. Which
// image a hostile file's thumbnail comes from, if any, may differ from its
// icon once the file's budget of broken images runs out; a file whose group
// decodes whole must give the thumbnail the size calls for.
void CheckThumbnails(std::span<const uint8_t> bytes, const orbisk::IconGroup* group)
{
    using namespace orbisk;
    bool allDecode = group && group->leftOut.empty() && !group->images.empty();
    for (std::size_t i = 0; allDecode && i < group->images.size(); ++i)
        allDecode = DecodeGroupImage(*group, i).ok();
    for (int size : { 1, 16, 48, 256 }) {
        auto thumbnail = IconThumbnailFromBytes(bytes, size);
        Check(thumbnail.ok() || !allDecode);
        if (!thumbnail)
            continue;
        const int side = std::max(thumbnail->width, thumbnail->height);
        Check(std::min(thumbnail->width, thumbnail->height) >= 1 && side <= size);
        Check(thumbnail->argb.size() == std::size_t(thumbnail->width) * std::size_t(thumbnail->height));
        Check(!allDecode || side == std::min(size, SourceSide(*group, size)));
        if (size == 16) {
            MemoryStream png;
            WriteFastPng(png, thumbnail->argb, thumbnail->width, thumbnail->height);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace orbisk;
    const std::span<const uint8_t> bytes(data, size);
    MemorySource source(bytes);
    auto container = OpenIconContainer(source);
    IconNumbering icons(container ? std::move(*container) : nullptr);
    for (int n = 0; n < kGroupsTried; ++n) {
        const bool icon = NumberedIcon(icons, source, n, nullptr).ok();
        auto group = ReadIconGroupFromBytes(bytes, n);
        Check(group.ok() == icon);
        if (n == 0)
            CheckThumbnails(bytes, group ? &*group : nullptr);
        if (!group)
            break;
        CheckGroup(*group);
        CheckRoundTrip(*group);
        // The group's resource name and language read or fail cleanly.
        auto g = icons.Group(source, n);
        Check(g.ok());
        (void)icons.Container()->ResourceOf(source, *g);
    }
    for (int n = 0; n < kGroupsTried; ++n) {
        auto group = ReadCursorGroupFromBytes(bytes, n);
        if (!group)
            break;
        Check(group->kind == GroupKind::Cursor);
        CheckGroup(*group);
        CheckRoundTrip(*group);
    }
    return 0;
}

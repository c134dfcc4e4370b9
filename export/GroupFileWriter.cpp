// The icon and cursor file layout of the ICO format document: ICONDIR, one
// ICONDIRENTRY per image, then the images. A cursor file's entries hold the
// hot spot where an icon file's hold planes and bit count.

#include "export/GroupFileWriter.h"

#include "export/AtomicFileStream.h"
#include "export/LittleEndian.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace orbisk {

namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr uint16_t kIconType = 1;
constexpr uint16_t kCursorType = 2;

// A side of 256 pixels or more is written as 0, as the format has it.
uint8_t SideByte(int side) { return side >= 256 ? 0 : uint8_t(side); }

void PutEntry(uint8_t* p, const StoredImageInfo& info, const GroupImage& image, bool cursor, uint32_t offset)
{
    p[0] = SideByte(info.width);
    p[1] = SideByte(info.height);
    p[2] = info.format == ImageFormat::Dib && info.bits < 8 ? uint8_t(1u << info.bits) : 0;
    p[3] = 0;
    PutLE16(p + 4, cursor ? image.hotspot.x : 1u);
    PutLE16(p + 6, cursor ? image.hotspot.y : uint32_t(info.bits));
    PutLE32(p + 8, uint32_t(image.bytes.size()));
    PutLE32(p + 12, offset);
}

std::string ImageProblem(std::size_t i, const char* why)
{
    return "Image #" + std::to_string(i) + " of the group is not a complete image (" + why + ")";
}

// The header and directory, once every image has been checked.
std::vector<uint8_t> Directory(const IconGroup& group)
{
    if (group.kind == GroupKind::Bitmap)
        throw EInvalidGroup("A bitmap file holds no icon group");
    if (group.images.empty())
        throw EInvalidGroup("The group holds no image that can be saved");
    if (group.images.size() > std::numeric_limits<uint16_t>::max())
        throw EInvalidGroup("The group holds too many images for one file");
    const bool cursor = group.kind == GroupKind::Cursor;
    std::vector<uint8_t> out(kHeaderSize + kEntrySize * group.images.size());
    PutLE16(out.data(), 0);
    PutLE16(out.data() + 2, cursor ? kCursorType : kIconType);
    PutLE16(out.data() + 4, uint32_t(group.images.size()));
    uint64_t offset = out.size();
    for (std::size_t i = 0; i < group.images.size(); ++i) {
        const GroupImage& image = group.images[i];
        auto info = CheckStoredImage(image.bytes);
        if (!info)
            throw EInvalidGroup(ImageProblem(i, info.error()));
        if (offset + image.bytes.size() > std::numeric_limits<uint32_t>::max())
            throw EInvalidGroup("The group is too large for one file");
        PutEntry(out.data() + kHeaderSize + kEntrySize * i, *info, image, cursor, uint32_t(offset));
        offset += image.bytes.size();
    }
    return out;
}

void WriteImages(OutputStream& stream, const IconGroup& group, const std::vector<uint8_t>& directory)
{
    stream.WriteBuffer(directory.data(), directory.size());
    for (const GroupImage& image : group.images)
        stream.WriteBuffer(image.bytes.data(), image.bytes.size());
}

} // namespace

void WriteGroupStream(OutputStream& stream, const IconGroup& group) { WriteImages(stream, group, Directory(group)); }

void WriteGroupFile(const IconGroup& group, const std::string& fileName)
{
    const std::vector<uint8_t> directory = Directory(group);
    AtomicFileStream file(fileName);
    WriteImages(file, group, directory);
    file.Commit();
}

} // namespace orbisk

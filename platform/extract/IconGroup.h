#pragma once

#include "platform/extract/IconContainer.h"
#include "platform/extract/StoredImage.h"
#include "platform/pixels/IconImage.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orbisk {

// One image of an icon or cursor group, as the file stores it.
struct GroupImage {
    // From the image's own header: a 256-pixel image is 256 wide, whatever
    // its directory entry says.
    int width = 0;
    int height = 0;
    int bits = 0; // the DIB header's bit count; a PNG counts as 32
    ImageFormat format = ImageFormat::Dib;
    // The stored bytes: the DIB (header, colour table, colour rows, AND
    // mask) or the PNG file; for a bitmap file, the whole file.
    Bytes bytes;
    Hotspot hotspot; // cursors only
};

// An image the group's directory lists but the group leaves out, because
// it could not be read whole or is not a complete image.
struct LeftOutImage {
    uint32_t entry = 0; // position in the group's directory
    const char* why = "";
};

// The images of one icon or cursor group, in the order its directory lists
// them. Images the directory names but the file lacks are left out silently,
// as the icons' own choice of image leaves them out.
struct IconGroup {
    GroupKind kind = GroupKind::Icon;
    std::vector<GroupImage> images;
    std::vector<LeftOutImage> leftOut;
};

// The most bytes one group's images may hold together (a few 1024-pixel
// images); images past it are left out. A file is untrusted: one image may
// be listed many times over.
constexpr uint64_t kMaxGroupBytes = 16 * 1024 * 1024;

// The group of icon n of the file at path, numbered exactly as ExtractIcon
// numbers icons (groups without a usable image are passed over). An icon or
// cursor file is one group (a cursor file's keeps its hot spots); a bitmap
// file is a group of one image, the bitmap file itself. Fails when the file
// has no icon n. Each thread keeps the directory of the last file it asked
// about, shared with ExtractIcon.
Result<IconGroup> ReadIconGroup(const std::string& path, int n);

// Cursor n of a file: its n-th RT_GROUP_CURSOR group that yields an image
// (named ones as stored, then numeric ids ascending), or a cursor file's
// one group. Cursors are numbered apart from icons and never among them.
Result<IconGroup> ReadCursorGroup(const std::string& path, int n);

// The resource of icon n's group (or cursor n's) in a program or library,
// numbered as ReadIconGroup (ReadCursorGroup) numbers them, from the same
// kept directory; see IconContainer::ResourceOf.
Result<GroupResource> ReadIconResource(const std::string& path, int n);
Result<GroupResource> ReadCursorResource(const std::string& path, int n);

// The same for a file's bytes held in memory (no cache).
Result<IconGroup> ReadIconGroupFromBytes(std::span<const uint8_t> bytes, int n);
Result<IconGroup> ReadCursorGroupFromBytes(std::span<const uint8_t> bytes, int n);

// Group g of an opened container (g < GroupCount()).
Result<IconGroup> ReadGroup(ByteSource& source, IconContainer& container, uint32_t g);

// Image i of the group decoded at its own size (at most kMaxImageSide).
Result<DecodedImage> DecodeGroupImage(const IconGroup& group, std::size_t i);

// The group's images best first: the largest, the deepest colour on a tie,
// the first stored after that.
std::vector<std::size_t> LargestFirst(const IconGroup& group);
// The first of them, the image that shows the group best. The group must
// hold an image.
std::size_t LargestImage(const IconGroup& group);

} // namespace orbisk

#pragma once

#include "platform/extract/ByteSource.h"
#include "platform/extract/ExtractLimits.h"
#include "platform/extract/ResourceName.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace orbisk {

// What the groups of a container are: icons, cursors (each image with a hot
// spot), or the one picture of a bitmap file.
enum class GroupKind : uint8_t { Icon, Cursor, Bitmap };

// The pixel of a cursor image that points.
struct Hotspot {
    uint16_t x = 0;
    uint16_t y = 0;
    friend bool operator==(const Hotspot&, const Hotspot&) = default;
};

// Where one image of a group lies in the file.
struct ImageLocation {
    uint64_t offset = 0;
    uint64_t size = 0;
    // A bitmap file's image: its pixels start here (from the image's start)
    // rather than right after the colour table.
    bool bitmapFile = false;
    std::optional<uint64_t> pixelOffset;
    // The image's position in its group's directory.
    uint32_t entry = 0;
    // NE resources are stored in whole alignment units, so `size` may end in
    // padding; this is the size the group's directory gives the image when
    // it is smaller than `size` (0 otherwise).
    uint64_t unpaddedSize = 0;
    // Cursors: from the cursor file's directory, or the two words that
    // precede the image in a cursor resource (`offset` starts after them).
    std::optional<Hotspot> hotspot;
};

// What one parse of a file may still spend on images (see ExtractLimits.h).
struct ImageBudget {
    uint32_t named = kMaxImagesNamed;
    uint32_t failedDecodes = kMaxFailedDecodes;
    // Takes one unit of `left`; false when none is left.
    static bool Spend(uint32_t& left) { return left > 0 ? (--left, true) : false; }
};

// A file that holds icons, once its directory has been read: an ordered list
// of groups, each a list of images. Opening validates the directory; the
// accessors only read what one group needs, so asking for icon n costs the
// reads of group n and its images.
class IconContainer {
public:
    virtual ~IconContainer() = default;
    virtual uint32_t GroupCount() const = 0;
    virtual GroupKind Kind() const { return GroupKind::Icon; }
    // The images of group g that exist; references to missing images are
    // left out. g < GroupCount().
    virtual Result<std::vector<ImageLocation>> GroupImages(ByteSource& source, uint32_t g) = 0;
    // The resource group g is stored as, read from the file when asked for
    // (a scan never asks). Fails for files whose groups are no resources
    // (icon, cursor and bitmap files) and for a name the file cuts short.
    virtual Result<GroupResource> ResourceOf(ByteSource&, uint32_t) { return Error { "not a resource" }; }

    ImageBudget& Budget() { return budget_; }

private:
    ImageBudget budget_;
};

using ContainerPtr = std::unique_ptr<IconContainer>;

// Makes a file location that lies partly past the end of the file end there
// (a truncated file keeps what it has); fails when it starts past the end.
Result<ImageLocation> ClampToFile(uint64_t offset, uint64_t size, uint64_t fileSize);

} // namespace orbisk

#pragma once

#include "platform/extract/ByteSource.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace orbisk {

// Where one image of a group lies in the file.
struct ImageLocation {
    uint64_t offset = 0;
    uint64_t size = 0;
    // A bitmap file's image: its pixels start here (from the image's start)
    // rather than right after the colour table.
    bool bitmapFile = false;
    std::optional<uint64_t> pixelOffset;
};

// A file that holds icons, once its directory has been read: an ordered list
// of groups, each a list of images. Opening validates the directory; the
// accessors only read what one group needs, so asking for icon n costs the
// reads of group n and its images.
class IconContainer {
public:
    virtual ~IconContainer() = default;
    virtual uint32_t GroupCount() const = 0;
    // The images of group g that exist; references to missing images are
    // left out. g < GroupCount().
    virtual Result<std::vector<ImageLocation>> GroupImages(ByteSource& source, uint32_t g) = 0;
};

using ContainerPtr = std::unique_ptr<IconContainer>;

// Makes a file location that lies partly past the end of the file end there
// (a truncated file keeps what it has); fails when it starts past the end.
Result<ImageLocation> ClampToFile(uint64_t offset, uint64_t size, uint64_t fileSize);

} // namespace orbisk

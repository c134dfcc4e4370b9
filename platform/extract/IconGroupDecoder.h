#pragma once

#include "platform/extract/IconContainer.h"
#include "platform/pixels/IconImage.h"

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

namespace orbisk {

// Puts the images of a group best first, from what their headers tell.
using ImageRanking = std::function<std::vector<std::size_t>(std::span<const ImageInfo> images)>;

// One image of a group as looked at: where it lies, what its header tells
// and its first bytes.
struct ImageCandidate {
    ImageLocation at;
    ImageInfo info;
    Bytes head;
};

// The images of group g whose headers read, best first in `ranking`; each
// image is looked at once however often the group names it.
Result<std::vector<ImageCandidate>> RankedImages(ByteSource& source, IconContainer& container, uint32_t g,
                                                 const ImageRanking& ranking);

// The same for images of group g read already (GroupImages).
Result<std::vector<ImageCandidate>> RankImages(ByteSource& source, std::vector<ImageLocation> images,
                                               const ImageRanking& ranking);

// Reads and decodes one image looked at, at its own size.
Result<DecodedImage> DecodeCandidate(ByteSource& source, const ImageCandidate& c);

// The first image of group g in `ranking` that decodes, at its own size:
// looks at each image's header, then reads and decodes only the images it
// tries. Fails when no image of the group decodes. `chosen` gets the size
// and depth of the image decoded.
Result<DecodedImage> DecodeRankedImage(ByteSource& source, IconContainer& container, uint32_t g,
                                       const ImageRanking& ranking, ImageInfo* chosen);

// Whether group g gives an icon (see DecodeGroup): whether any of its
// images decodes. Tries the images smallest first, stops at the first that
// decodes and fits nothing, so numbering the groups before an icon costs
// little.
bool GroupYields(ByteSource& source, IconContainer& container, uint32_t g);

} // namespace orbisk

#pragma once

#include "platform/extract/IconContainer.h"
#include "platform/pixels/IconHandle.h"
#include "platform/pixels/IconImage.h"

namespace orbisk {

// Turns group g of a container into its large icon: looks at each image's
// header, takes the images in PreferenceOrder and decodes the first that
// decodes. Fails when no image of the group does. `chosen` gets the size and
// depth of the image used, before scaling.
Result<IconData> DecodeGroup(ByteSource& source, IconContainer& container, uint32_t g, ImageInfo* chosen);

// Whether DecodeGroup gives group g an icon: whether any of its images
// decodes. Tries the images smallest first, stops at the first that decodes
// and fits nothing, so numbering the groups before an icon costs little.
bool GroupYields(ByteSource& source, IconContainer& container, uint32_t g);

} // namespace orbisk

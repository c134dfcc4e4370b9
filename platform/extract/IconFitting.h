#pragma once

#include "platform/extract/IconContainer.h"
#include "platform/extract/IconNumbering.h"
#include "platform/pixels/IconHandle.h"
#include "platform/pixels/IconImage.h"

namespace orbisk {

// Makes the large icon (32 x 32) of an icon image: taken as it is when it
// has that size, otherwise scaled smoothly. A scaled icon's mask follows its
// scaled alpha (set below one half), so mask and colour image agree.
IconData FitIcon(const DecodedImage& image);

// Makes the large icon of a bitmap file: the bitmap scaled, keeping its
// proportions, to fill the square in its longer side, and centred; the rest
// of the square is transparent. A picture is neither stretched nor cut.
IconData FitBitmap(const DecodedImage& image);

// Turns group g of a container into its large icon: the first image in
// PreferenceOrder that decodes (see DecodeRankedImage), fitted. Fails when no
// image of the group decodes. `chosen` gets the size and depth of the image
// used, before scaling. It lives beside the fitting, the one part of
// extraction that uses Qt, so that a program that decodes images without
// fitting them (the thumbnailer) links no Qt.
Result<IconData> DecodeGroup(ByteSource& source, IconContainer& container, uint32_t g, ImageInfo* chosen);

// The large icon of icon n of a file (see IconNumbering), or why there is
// none.
Result<IconData> NumberedIcon(IconNumbering& numbering, ByteSource& source, int n, ImageInfo* chosen);

} // namespace orbisk

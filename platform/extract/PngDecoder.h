#pragma once

#include "platform/base/ByteReader.h"
#include "platform/pixels/IconImage.h"

namespace orbisk {

// Icon entries may be PNG files (Windows Vista and later store 256 x 256
// images so); they are told apart from DIBs by the PNG signature.
bool HasPngSignature(const ByteReader& head);

// Size from the IHDR chunk; bits are 32 whatever the PNG's own depth.
Result<ImageInfo> ProbePng(const ByteReader& head);

// Decodes with libpng after checking the IHDR size against kMaxImageSide;
// the mask is set where alpha is below one half. The image must end in its
// IEND chunk.
Result<DecodedImage> DecodePng(const ByteReader& bytes);

} // namespace orbisk

#pragma once

#include "export/OutputStream.h"
#include "export/TafIcon.h"

#include <string>

namespace orbisk {

// Writes the icon that `icon` holds as an uncompressed bitmap file: the icon
// drawn on a white square of the large-icon size (transparent pixels stay
// white) at the depth of a display of displayBits bits per pixel (see
// DisplayBitmapBits), replacing a file of that name (see AtomicFileStream).
// The colour depth of icon files plays no part. Throws EFCreateError
// ("Cannot create file <fileName>"), EWriteError ("Stream write error") or
// EInvalidGraphic (an empty icon object).
void WriteBitmapFile(const TafIcon& icon, const std::string& fileName, int displayBits);

// The bytes of that bitmap file, appended to a stream.
void WriteBitmapStream(OutputStream& stream, const TafIcon& icon, int displayBits);

// Bits per pixel of a bitmap made compatible with a display of displayBits
// bits per pixel.
int DisplayBitmapBits(int displayBits);

} // namespace orbisk

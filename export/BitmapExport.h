#pragma once

#include "export/OutputStream.h"
#include "export/TafIcon.h"

#include <string>

namespace orbisk {

// Writes the icon that `icon` holds as an uncompressed bitmap file: the icon
// drawn on a white square of the large-icon size (transparent pixels stay
// white) at the display's depth, replacing a file of that name. The colour
// depth of icon files plays no part. The file is written in full or not at
// all. Throws EFCreateError ("Cannot create file <fileName>"), EWriteError
// ("Stream write error") or EInvalidGraphic (an empty icon object).
void WriteBitmapFile(const TafIcon& icon, const std::string& fileName);

// The bytes of that bitmap file, appended to a stream.
void WriteBitmapStream(OutputStream& stream, const TafIcon& icon);

// Bits per pixel of a bitmap made compatible with the display.
int DisplayBitmapBits();

} // namespace orbisk

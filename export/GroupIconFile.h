#pragma once

#include "export/OutputStream.h"
#include "platform/extract/IconGroup.h"
#include "platform/pixels/IconHandle.h"

#include <string>

namespace orbisk {

// A group as an icon file, as Save icon group and a drag out of the grid make
// it. A bitmap holds one image and no group: its icon file is `shown`, the
// icon the grid shows for it, at full colour. A cursor file's images are icon
// images as well and are written as an icon file. Throws as WriteGroupStream
// and TafIcon::WriteIconStream do.
void WriteGroupIconStream(OutputStream& stream, IconGroup group, HICON shown);

// The same into fileName, replacing a file of that name; the file is written
// in full or not at all.
void WriteGroupIconFile(IconGroup group, HICON shown, const std::string& fileName);

} // namespace orbisk

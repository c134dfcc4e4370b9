#pragma once

#include "platform/base/ByteReader.h"
#include "platform/extract/IconContainer.h"

#include <span>

namespace orbisk {

// How many leading bytes telling the formats apart needs.
constexpr uint64_t kSniffBytes = 64;

// One file format: a cheap look at the first bytes, then an open that reads
// and validates the directory of its icons, or of its cursors (nullptr for a
// format that holds none).
struct IconDecoder {
    using Open = Result<ContainerPtr> (*)(ByteSource& source, const ByteReader& head);
    const char* name;
    bool (*sniff)(const ByteReader& head);
    Open open;
    Open openCursors;
};

// PE32/PE32+, NE, icon and cursor files, bitmaps; in the order they are tried.
std::span<const IconDecoder> IconDecoders();

// The container for a file, recognised by content; fails for a file that
// holds no icons in any known format.
Result<ContainerPtr> OpenIconContainer(ByteSource& source);

// The same for a file's cursors: the RT_GROUP_CURSOR groups of a program or
// library, or a cursor file's one group. Never part of the icons' numbering.
Result<ContainerPtr> OpenCursorContainer(ByteSource& source);

// The formats' open functions (one file each). Programs and libraries
// (ResourceIconContainer.h) are opened for their icons or their cursors.
Result<ContainerPtr> OpenIconFile(ByteSource& source, const ByteReader& head);
Result<ContainerPtr> OpenBitmapFile(ByteSource& source, const ByteReader& head);
Result<ContainerPtr> OpenCursorFile(ByteSource& source, const ByteReader& head);

} // namespace orbisk

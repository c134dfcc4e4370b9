#pragma once

#include "platform/extract/IconFile.h"
#include "platform/pixels/IconHandle.h"
#include "platform/pixels/IconImage.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace orbisk {

// Icon n (counted from 0) of the file at path, a native byte string, at the
// large-icon size; nullptr when the file has no icon n. The caller owns the
// handle. Safe to call from any thread.
//
// Files are recognised by content: PE32/PE32+ and NE programs and libraries
// (icon n is the n-th RT_GROUP_ICON group that yields an image), icon and
// cursor files and bitmaps (one icon each). Only regular files are opened,
// and only the parts needed are read. A thin wrapper over IconFile: each
// thread keeps the IconFile of the last file it asked about (opened again
// for each call, and read afresh when it changed), so n = 0, 1, 2, ... costs
// one parse in all. Whoever goes through all the icons of a file uses an
// IconFile itself.
HICON ExtractIcon(const std::string& path, int n);

// The size and depth of the image an icon was made from, before scaling to
// 32 x 32 (a PNG image counts as 32 bits).
using IconSourceInfo = ImageInfo;

// ExtractIcon, telling also which image of the group was used.
UniqueIcon ExtractIconDetailed(const std::string& path, int n, IconSourceInfo* chosen);

// The resource icon n's group is stored as in a program or library (its
// name and, in PE files, its language), read from the file now, from the
// same kept IconFile as ExtractIconDetailed. Fails for icon, cursor and
// bitmap files and when the file has no icon n.
Result<GroupResource> ExtractIconResource(const std::string& path, int n);

// ExtractIcon for a file's bytes held in memory (no cache).
UniqueIcon ExtractIconFromBytes(std::span<const uint8_t> bytes, int n, IconSourceInfo* chosen);

} // namespace orbisk

#pragma once

#include "export/OutputStream.h"

#include <cstdint>
#include <span>

namespace orbisk {

// Writes a straight-alpha image (0xAARRGGBB, top-down rows of `width`
// pixels) to `out` as a PNG file with alpha (8-bit RGBA), compressed for
// speed rather than size: for a picture that is read once and thrown away,
// such as a thumbnail. Needs a few kilobytes beside the image, whatever its
// size. Throws EWriteError.
void WriteFastPng(OutputStream& out, std::span<const uint32_t> argb, int width, int height);

} // namespace orbisk

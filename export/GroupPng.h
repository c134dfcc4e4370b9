#pragma once

#include "platform/extract/IconGroup.h"

#include <QImage>

#include <cstddef>
#include <string>

namespace orbisk {

// The largest side a PNG export may be scaled to.
constexpr int kMaxPngSize = 1024;

// Image i of the group decoded with its alpha (QImage::Format_ARGB32), at its
// own size, or smoothly scaled so that its longer side is `size` (0: its own
// size; a square image becomes size x size). Throws EInvalidGroup when the
// image cannot be decoded or `size` is out of range.
QImage GroupImageAsQImage(const IconGroup& group, std::size_t i, int size = 0);

// Writes image i as a PNG file with alpha (see GroupImageAsQImage),
// replacing a file of that name; the file is written in full or not at
// all. Throws EInvalidGroup, EFCreateError or EWriteError.
void WriteGroupPng(const IconGroup& group, std::size_t i, int size, const std::string& fileName);

// The largest image of icon n of the file at path (numbered as ExtractIcon
// numbers icons) at its own size, for the clipboard: the largest that
// decodes, should the largest not. A null image when the file has no icon n
// or none of its images decodes.
QImage LargestIconImage(const std::string& path, int n);

} // namespace orbisk

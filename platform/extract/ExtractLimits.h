#pragma once

#include <cstdint>

namespace orbisk {

// Caps on what a file may make the extractor do. Files are untrusted: these
// keep one call within a few MB and a bounded number of reads.

// Largest width or height decoded (a 256 x 256 icon is the largest real one).
constexpr int kMaxImageSide = 1024;
// Largest single read: a 1024 x 1024 32-bit DIB with its mask, or a PNG entry.
constexpr uint64_t kMaxReadBytes = 1024 * 1024 * 4 + 1024 * 128 + 4096;
// Icon groups and icon images listed per file (real libraries hold a few
// hundred; icon libraries a few thousand).
constexpr uint32_t kMaxGroups = 65536;
constexpr uint32_t kMaxImagesListed = 65536;
// Images considered per group.
constexpr uint32_t kMaxGroupEntries = 256;
// Work per parse of one file, over all its groups. Groups may share images,
// so a small file can name one image millions of times: 65,535 groups of
// 256 entries each. A program holds at most 65,535 images (their ids are 16
// bits) and real groups name each of them once; a damaged file holds a few
// images whose header reads well but whose data does not decode. Past
// either cap the rest of the file yields no icons.
constexpr uint32_t kMaxImagesNamed = 65536;
constexpr uint32_t kMaxFailedDecodes = 64;
// Distinct images one opened file may decode into icons (real icon libraries
// hold a few thousand). Groups that name images already decoded cost only a
// reference, so a file naming one image from 65,535 groups gives them all;
// past this cap the file's further groups are left out, so a file of large
// images, each different, cannot fill memory.
constexpr uint32_t kMaxImagesDecodedPerFile = 8192;
// PE sections looked at (the loader's own limit is 96).
constexpr uint32_t kMaxSections = 96;

} // namespace orbisk

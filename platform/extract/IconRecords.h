#pragma once

// On-disk records of icon, cursor and bitmap files and of the images inside
// icon resources, as the Windows SDK documents them (ICONDIR, GRPICONDIR,
// BITMAPFILEHEADER, BITMAPINFOHEADER, BITMAPCOREHEADER). Each is decoded
// field by field, little-endian; the structs only name the fields.

#include "platform/base/ByteReader.h"

#include <cstdint>

namespace orbisk {

#pragma pack(push, 1)

// ICONDIR: the header of an icon (type 1) or cursor (type 2) file, and,
// with 14-byte entries, of an RT_GROUP_ICON resource.
struct IconDirHeader {
    static constexpr uint64_t size = 6;
    uint16_t reserved;
    uint16_t type;
    uint16_t count;
    static constexpr Result<IconDirHeader> Decode(FieldCursor& c)
    {
        return IconDirHeader { c.U16(), c.U16(), c.U16() };
    }
};
static_assert(sizeof(IconDirHeader) == IconDirHeader::size);

// ICONDIRENTRY of an icon or cursor file. In a cursor file planes and
// bitCount hold the hot spot, so neither is trusted for the colour depth.
struct IconDirEntry {
    static constexpr uint64_t size = 16;
    uint8_t width;
    uint8_t height;
    uint8_t colorCount;
    uint8_t reserved;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t bytesInRes;
    uint32_t imageOffset;
    static constexpr Result<IconDirEntry> Decode(FieldCursor& c)
    {
        return IconDirEntry { c.U8(), c.U8(), c.U8(), c.U8(), c.U16(), c.U16(), c.U32(), c.U32() };
    }
};
static_assert(sizeof(IconDirEntry) == IconDirEntry::size);

// GRPICONDIRENTRY: like ICONDIRENTRY, but the image is the RT_ICON resource
// with id `id` instead of an offset.
struct GroupIconDirEntry {
    static constexpr uint64_t size = 14;
    uint8_t width;
    uint8_t height;
    uint8_t colorCount;
    uint8_t reserved;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t bytesInRes;
    uint16_t id;
    static constexpr Result<GroupIconDirEntry> Decode(FieldCursor& c)
    {
        return GroupIconDirEntry { c.U8(), c.U8(), c.U8(), c.U8(), c.U16(), c.U16(), c.U32(), c.U16() };
    }
};
static_assert(sizeof(GroupIconDirEntry) == GroupIconDirEntry::size);

// BITMAPFILEHEADER of a .bmp file.
struct BitmapFileHeader {
    static constexpr uint64_t size = 14;
    uint16_t type;
    uint32_t fileSize;
    uint32_t reserved;
    uint32_t bitsOffset;
    static constexpr Result<BitmapFileHeader> Decode(FieldCursor& c)
    {
        return BitmapFileHeader { c.U16(), c.U32(), c.U32(), c.U32() };
    }
};
static_assert(sizeof(BitmapFileHeader) == BitmapFileHeader::size);

// BITMAPCOREHEADER: the 12-byte header of OS/2-era bitmaps and icons.
struct BitmapCoreHeader {
    static constexpr uint64_t size = 12;
    uint32_t headerSize;
    uint16_t width;
    uint16_t height;
    uint16_t planes;
    uint16_t bitCount;
    static constexpr Result<BitmapCoreHeader> Decode(FieldCursor& c)
    {
        return BitmapCoreHeader { c.U32(), c.U16(), c.U16(), c.U16(), c.U16() };
    }
};
static_assert(sizeof(BitmapCoreHeader) == BitmapCoreHeader::size);

// BITMAPINFOHEADER; the V4 and V5 headers extend it and are read as it.
struct BitmapInfoHeader {
    static constexpr uint64_t size = 40;
    uint32_t headerSize;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t imageSize;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
    static constexpr Result<BitmapInfoHeader> Decode(FieldCursor& c)
    {
        return BitmapInfoHeader { c.U32(), c.I32(), c.I32(), c.U16(), c.U16(), c.U32(),
                                  c.U32(), c.I32(), c.I32(), c.U32(), c.U32() };
    }
};
static_assert(sizeof(BitmapInfoHeader) == BitmapInfoHeader::size);

#pragma pack(pop)

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_ALPHABITFIELDS = 6;

} // namespace orbisk

#pragma once

// On-disk records of icon, cursor and bitmap files and of the images inside
// icon resources, as the Windows SDK documents them (ICONDIR, GRPICONDIR,
// BITMAPFILEHEADER, BITMAPINFOHEADER, BITMAPCOREHEADER). Each is decoded
// field by field, little-endian; the structs only name the fields.
// ByteReader::Record checks at compile time that each struct is as large as
// its record and that its decoder reads exactly that much.

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
    static constexpr IconDirHeader Decode(FieldCursor& c) { return { c.U16(), c.U16(), c.U16() }; }
};

// The first 12 bytes of ICONDIRENTRY and GRPICONDIRENTRY alike: what the
// entry says of its image. In a cursor file planes and bitCount hold the hot
// spot, so neither is trusted for the colour depth.
struct IconEntryFields {
    uint8_t width;
    uint8_t height;
    uint8_t colorCount;
    uint8_t reserved;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t bytesInRes;
    static constexpr IconEntryFields Read(FieldCursor& c)
    {
        return { c.U8(), c.U8(), c.U8(), c.U8(), c.U16(), c.U16(), c.U32() };
    }
};

// ICONDIRENTRY of an icon or cursor file: the image lies at imageOffset.
struct IconDirEntry : IconEntryFields {
    static constexpr uint64_t size = 16;
    uint32_t imageOffset;
    static constexpr IconDirEntry Decode(FieldCursor& c) { return { IconEntryFields::Read(c), c.U32() }; }
};

// GRPICONDIRENTRY: the image is the RT_ICON resource with id `id`.
struct GroupIconDirEntry : IconEntryFields {
    static constexpr uint64_t size = 14;
    uint16_t id;
    static constexpr GroupIconDirEntry Decode(FieldCursor& c) { return { IconEntryFields::Read(c), c.U16() }; }
};

// BITMAPFILEHEADER of a .bmp file.
struct BitmapFileHeader {
    static constexpr uint64_t size = 14;
    uint16_t type;
    uint32_t fileSize;
    uint32_t reserved;
    uint32_t bitsOffset;
    static constexpr BitmapFileHeader Decode(FieldCursor& c) { return { c.U16(), c.U32(), c.U32(), c.U32() }; }
};

// BITMAPCOREHEADER: the 12-byte header of OS/2-era bitmaps and icons.
struct BitmapCoreHeader {
    static constexpr uint64_t size = 12;
    uint32_t headerSize;
    uint16_t width;
    uint16_t height;
    uint16_t planes;
    uint16_t bitCount;
    static constexpr BitmapCoreHeader Decode(FieldCursor& c) { return { c.U32(), c.U16(), c.U16(), c.U16(), c.U16() }; }
};

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
    static constexpr BitmapInfoHeader Decode(FieldCursor& c)
    {
        return { c.U32(), c.I32(), c.I32(), c.U16(), c.U16(), c.U32(),
                                  c.U32(), c.I32(), c.I32(), c.U32(), c.U32() };
    }
};

#pragma pack(pop)

// The values of BitmapInfoHeader::compression that the decoder knows.
enum BitmapCompression : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

} // namespace orbisk

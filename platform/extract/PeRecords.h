#pragma once

// On-disk records of MZ, PE32/PE32+ and NE executables that the icon
// extractor reads, as the PE/COFF format document and the NE (segmented
// executable) format describe them. Decoded field by field, little-endian;
// ByteReader::Record checks each struct's size at compile time.

#include "platform/base/ByteReader.h"

#include <cstdint>

namespace orbisk {

#pragma pack(push, 1)

// The parts of IMAGE_DOS_HEADER that lead to the new header.
struct DosHeader {
    static constexpr uint64_t size = 64;
    uint16_t magic; // "MZ"
    uint8_t unused[58];
    uint32_t newHeaderOffset; // e_lfanew
    static constexpr DosHeader Decode(FieldCursor& c)
    {
        const uint16_t magic = c.U16();
        c.Skip(sizeof(DosHeader::unused));
        return { magic, {}, c.U32() };
    }
};

// "PE\0\0" followed by IMAGE_FILE_HEADER.
struct PeFileHeader {
    static constexpr uint64_t size = 24;
    static constexpr uint32_t kSignature = 0x00004550;
    uint32_t signature;
    uint16_t machine;
    uint16_t numberOfSections;
    uint32_t timeDateStamp;
    uint32_t pointerToSymbolTable;
    uint32_t numberOfSymbols;
    uint16_t sizeOfOptionalHeader;
    uint16_t characteristics;
    static constexpr PeFileHeader Decode(FieldCursor& c)
    {
        return { c.U32(), c.U16(), c.U16(), c.U32(), c.U32(), c.U32(), c.U16(), c.U16() };
    }
};

// IMAGE_OPTIONAL_HEADER32 and IMAGE_OPTIONAL_HEADER64 are read only for
// their magic and the data directories, whose place the magic sets: they sit
// 16 bytes further in PE32+, whose ImageBase and stack sizes are 64-bit.
struct PeOptionalHeader {
    static constexpr uint16_t kPe32Magic = 0x10b;
    static constexpr uint16_t kPe32PlusMagic = 0x20b;
    // Data directory 2 locates the resource tree.
    static constexpr uint32_t kResourceDirectory = 2;
    // Where NumberOfRvaAndSizes stands; the directories follow it.
    static constexpr uint64_t DirectoryCountAt(uint16_t magic) { return magic == kPe32Magic ? 92 : 108; }
};

// IMAGE_DATA_DIRECTORY: where a table lies, as an RVA, and its size.
struct DataDirectory {
    static constexpr uint64_t size = 8;
    uint32_t rva;
    uint32_t length;
    static constexpr DataDirectory Decode(FieldCursor& c) { return { c.U32(), c.U32() }; }
};

// IMAGE_SECTION_HEADER.
struct SectionHeader {
    static constexpr uint64_t size = 40;
    uint8_t name[8];
    uint32_t virtualSize;
    uint32_t virtualAddress;
    uint32_t sizeOfRawData;
    uint32_t pointerToRawData;
    uint32_t pointerToRelocations;
    uint32_t pointerToLinenumbers;
    uint16_t numberOfRelocations;
    uint16_t numberOfLinenumbers;
    uint32_t characteristics;
    static constexpr SectionHeader Decode(FieldCursor& c)
    {
        c.Skip(sizeof(SectionHeader::name));
        return { {}, c.U32(), c.U32(), c.U32(), c.U32(), c.U32(), c.U32(), c.U16(), c.U16(), c.U32() };
    }
};

// IMAGE_RESOURCE_DIRECTORY; its entries follow it, named ones first.
struct ResourceDirectoryHeader {
    static constexpr uint64_t size = 16;
    uint32_t characteristics;
    uint32_t timeDateStamp;
    uint16_t majorVersion;
    uint16_t minorVersion;
    uint16_t numberOfNamedEntries;
    uint16_t numberOfIdEntries;
    static constexpr ResourceDirectoryHeader Decode(FieldCursor& c)
    {
        return { c.U32(), c.U32(), c.U16(), c.U16(), c.U16(), c.U16() };
    }
};

// IMAGE_RESOURCE_DIRECTORY_ENTRY. The high bit of `name` marks a name (the
// rest is the offset of its string in the resource section), otherwise the
// low 16 bits are the id; the high bit of `offset` marks a sub-directory.
struct ResourceDirectoryEntry {
    static constexpr uint64_t size = 8;
    uint32_t name;
    uint32_t offset;
    bool IsNamed() const { return (name & 0x80000000u) != 0; }
    uint16_t Id() const { return uint16_t(name & 0xffff); }
    // A named entry: its IMAGE_RESOURCE_DIR_STRING_U, from the tree's start.
    uint32_t NameOffset() const { return name & 0x7fffffffu; }
    bool IsDirectory() const { return (offset & 0x80000000u) != 0; }
    uint32_t Target() const { return offset & 0x7fffffffu; }
    static constexpr ResourceDirectoryEntry Decode(FieldCursor& c) { return { c.U32(), c.U32() }; }
};

// IMAGE_RESOURCE_DATA_ENTRY: where a resource's bytes are, as an RVA.
struct ResourceDataEntry {
    static constexpr uint64_t size = 16;
    uint32_t dataRva;
    uint32_t dataSize;
    uint32_t codePage;
    uint32_t reserved;
    static constexpr ResourceDataEntry Decode(FieldCursor& c) { return { c.U32(), c.U32(), c.U32(), c.U32() }; }
};

// The parts of the NE header that lead to the resource table.
struct NeHeader {
    static constexpr uint64_t size = 64;
    static constexpr uint16_t kSignature = 0x454e;
    uint16_t signature; // "NE"
    uint8_t unused[34];
    uint16_t resourceTableOffset; // ne_rsrctab, from the NE header
    uint16_t residentNameTableOffset; // ne_restab: the resource table ends there
    uint8_t rest[24];
    static constexpr NeHeader Decode(FieldCursor& c)
    {
        NeHeader h {};
        h.signature = c.U16();
        c.Skip(sizeof(h.unused));
        h.resourceTableOffset = c.U16();
        h.residentNameTableOffset = c.U16();
        c.Skip(sizeof(h.rest));
        return h;
    }
};

// Type and resource ids of the NE resource table with this bit set are
// numbers; without it they are offsets of names in the table.
constexpr uint16_t kNeNumericId = 0x8000;

// TYPEINFO of the NE resource table; `count` NAMEINFO records follow.
struct NeTypeInfo {
    static constexpr uint64_t size = 8;
    uint16_t typeId;
    uint16_t count;
    uint32_t reserved;
    bool IsNumbered(uint16_t type) const { return typeId == (kNeNumericId | type); }
    static constexpr NeTypeInfo Decode(FieldCursor& c) { return { c.U16(), c.U16(), c.U32() }; }
};

// NAMEINFO: offset and length in units of 1 << alignment shift.
struct NeNameInfo {
    static constexpr uint64_t size = 12;
    uint16_t offset;
    uint16_t length;
    uint16_t flags;
    uint16_t id;
    uint16_t handle;
    uint16_t usage;
    bool IsNumeric() const { return (id & kNeNumericId) != 0; }
    uint16_t Number() const { return uint16_t(id & ~kNeNumericId); }
    static constexpr NeNameInfo Decode(FieldCursor& c)
    {
        return { c.U16(), c.U16(), c.U16(), c.U16(), c.U16(), c.U16() };
    }
};

#pragma pack(pop)

} // namespace orbisk

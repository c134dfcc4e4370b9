// PE32 and PE32+ programs and libraries: the resource directory (data
// directory 2) is a tree of type, name and language levels; offsets inside
// it count from its start, data entries give RVAs, and RVAs become file
// offsets through the section table.

#include "platform/extract/ExtractLimits.h"
#include "platform/extract/IconDecoders.h"
#include "platform/extract/PeRecords.h"
#include "platform/extract/ResourceIconContainer.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

namespace {

class SectionMap {
public:
    explicit SectionMap(std::vector<SectionHeader> sections)
        : sections_(std::move(sections))
    {
    }
    // The file offset of an RVA: inside a section's raw data, or inside the
    // headers, which are mapped as they are in the file.
    Result<uint64_t> ToOffset(uint32_t rva) const
    {
        for (const SectionHeader& s : sections_) {
            const uint32_t extent = std::max(s.virtualSize, s.sizeOfRawData);
            if (rva < s.virtualAddress || rva - s.virtualAddress >= extent)
                continue;
            if (rva - s.virtualAddress >= s.sizeOfRawData)
                return Error { "RVA without file data" };
            return uint64_t(s.pointerToRawData) + (rva - s.virtualAddress);
        }
        uint64_t headers = UINT32_MAX;
        for (const SectionHeader& s : sections_)
            headers = std::min<uint64_t>(headers, s.pointerToRawData);
        if (rva < headers)
            return uint64_t(rva);
        return Error { "RVA outside every section" };
    }

private:
    std::vector<SectionHeader> sections_;
};

// The resource tree, read one directory at a time.
class ResourceTree {
public:
    ResourceTree(ByteSource& source, const SectionMap& sections, uint32_t rootRva)
        : source_(source)
        , sections_(sections)
        , rootRva_(rootRva)
    {
    }

    // The entries of the directory at `offset` (from the tree's start).
    Result<std::vector<ResourceDirectoryEntry>> Entries(uint32_t offset, uint32_t limit) const
    {
        ORBISK_TRY(at, OffsetOf(offset));
        ORBISK_TRY(headerBytes, source_.Read(*at, ResourceDirectoryHeader::size));
        auto header = ByteReader(*headerBytes).Record<ResourceDirectoryHeader>(0);
        const uint32_t count = std::min<uint32_t>(
            uint32_t(header->numberOfNamedEntries) + header->numberOfIdEntries, limit);
        const uint64_t available = source_.Size() - std::min(source_.Size(), *at + ResourceDirectoryHeader::size);
        const uint64_t fits = std::min<uint64_t>(count, available / ResourceDirectoryEntry::size);
        ORBISK_TRY(table, source_.Read(*at + ResourceDirectoryHeader::size, fits * ResourceDirectoryEntry::size));
        std::vector<ResourceDirectoryEntry> entries;
        entries.reserve(fits);
        const ByteReader reader(*table);
        for (uint64_t i = 0; i < fits; ++i)
            entries.push_back(*reader.Record<ResourceDirectoryEntry>(i * ResourceDirectoryEntry::size));
        return entries;
    }

    // The data of a name-level entry: its language directory's first entry,
    // which must be data; the tree goes no deeper than type, name, language.
    Result<ImageLocation> Locate(uint32_t nameTarget, bool isDirectory) const
    {
        ORBISK_TRY(language, FirstLanguage(nameTarget, isDirectory));
        ORBISK_TRY(at, OffsetOf(language->Target()));
        ORBISK_TRY(bytes, source_.Read(*at, ResourceDataEntry::size));
        auto data = ByteReader(*bytes).Record<ResourceDataEntry>(0);
        ORBISK_TRY(offset, sections_.ToOffset(data->dataRva));
        return ClampToFile(*offset, data->dataSize, source_.Size());
    }

    // The language of the entry Locate takes.
    std::optional<uint16_t> Language(uint32_t nameTarget, bool isDirectory) const
    {
        auto language = FirstLanguage(nameTarget, isDirectory);
        if (!language || language->IsNamed())
            return std::nullopt;
        return language->Id();
    }

    // A counted UTF-16 string (IMAGE_RESOURCE_DIR_STRING_U) at `offset`.
    Result<std::string> Name(uint32_t offset) const
    {
        ORBISK_TRY(at, OffsetOf(offset));
        ORBISK_TRY(lengthBytes, source_.Read(*at, 2));
        const uint16_t length = *ByteReader(*lengthBytes).U16(0);
        ORBISK_TRY(units, source_.Read(*at + 2, uint64_t(length) * 2));
        return Utf8FromUtf16Le(*units);
    }

private:
    Result<ResourceDirectoryEntry> FirstLanguage(uint32_t nameTarget, bool isDirectory) const
    {
        if (!isDirectory || nameTarget == 0)
            return Error { "resource without a language level" };
        ORBISK_TRY(languages, Entries(nameTarget, 1));
        if (languages->empty() || languages->front().IsDirectory())
            return Error { "resource tree too deep" };
        return languages->front();
    }

    Result<uint64_t> OffsetOf(uint32_t offset) const
    {
        if (uint64_t(rootRva_) + offset > UINT32_MAX)
            return Error { "resource offset out of range" };
        return sections_.ToOffset(rootRva_ + offset);
    }

    ByteSource& source_;
    const SectionMap& sections_;
    uint32_t rootRva_;
};

class PeIcons final : public ResourceIconContainer {
public:
    PeIcons(std::vector<Resource> groups, std::vector<Resource> icons, GroupKind kind, SectionMap sections,
            uint32_t rootRva)
        : ResourceIconContainer(std::move(groups), std::move(icons), kind)
        , sections_(std::move(sections))
        , rootRva_(rootRva)
    {
    }

protected:
    // A ref packs the name-level entry's target and its directory flag.
    Result<ImageLocation> Locate(ByteSource& source, ResourceRef ref) override
    {
        return ResourceTree(source, sections_, rootRva_).Locate(uint32_t(ref), (ref >> 32) != 0);
    }
    Result<std::string> NameOf(ByteSource& source, const Resource& r) override
    {
        return ResourceTree(source, sections_, rootRva_).Name(r.nameAt);
    }
    std::optional<uint16_t> LanguageOf(ByteSource& source, const Resource& r) override
    {
        return ResourceTree(source, sections_, rootRva_).Language(uint32_t(r.ref), (r.ref >> 32) != 0);
    }

private:
    SectionMap sections_;
    uint32_t rootRva_;
};

Result<DataDirectory> ResourceDirectoryOf(ByteSource& source, uint64_t optionalAt, uint16_t optionalSize)
{
    ORBISK_TRY(bytes, source.Read(optionalAt, optionalSize));
    const ByteReader optional(*bytes);
    auto magic = optional.U16(0);
    if (!magic || (*magic != PeOptionalHeader::kPe32Magic && *magic != PeOptionalHeader::kPe32PlusMagic))
        return Error { "unknown optional header" };
    const uint64_t countAt = PeOptionalHeader::DirectoryCountAt(*magic);
    auto count = optional.U32(countAt);
    if (!count || *count <= PeOptionalHeader::kResourceDirectory)
        return Error { "no resource directory" };
    auto directory
        = optional.Record<DataDirectory>(countAt + 4 + PeOptionalHeader::kResourceDirectory * DataDirectory::size);
    if (!directory || directory->rva == 0 || directory->length == 0)
        return Error { "no resource directory" };
    return *directory;
}

Result<SectionMap> SectionsOf(ByteSource& source, uint64_t at, uint16_t count)
{
    const uint32_t n = std::min<uint32_t>(count, kMaxSections);
    ORBISK_TRY(bytes, source.Read(at, uint64_t(n) * SectionHeader::size));
    const ByteReader table(*bytes);
    std::vector<SectionHeader> sections;
    for (uint32_t i = 0; i < n; ++i)
        sections.push_back(*table.Record<SectionHeader>(uint64_t(i) * SectionHeader::size));
    return SectionMap(std::move(sections));
}

// The entries of one type's directory, as resources.
std::vector<ResourceIconContainer::Resource> ResourcesOf(const ResourceTree& tree, const ResourceDirectoryEntry& type,
                                                         uint32_t limit)
{
    std::vector<ResourceIconContainer::Resource> out;
    if (!type.IsDirectory() || type.Target() == 0)
        return out; // the root pointing at itself is a cycle, not a type
    auto entries = tree.Entries(type.Target(), limit);
    if (!entries)
        return out;
    for (const ResourceDirectoryEntry& e : *entries) {
        const uint64_t ref = uint64_t(e.Target()) | (uint64_t(e.IsDirectory()) << 32);
        out.push_back({ e.IsNamed(), e.IsNamed() ? uint16_t(0) : e.Id(), e.IsNamed() ? e.NameOffset() : 0, ref });
    }
    return out;
}

} // namespace

Result<ContainerPtr> OpenPe(ByteSource& source, const ByteReader& head, const ResourceTypes& wanted)
{
    ORBISK_TRY(dos, head.Record<DosHeader>(0));
    ORBISK_TRY(bytes, source.Read(dos->newHeaderOffset, PeFileHeader::size));
    auto pe = ByteReader(*bytes).Record<PeFileHeader>(0);
    if (pe->signature != PeFileHeader::kSignature)
        return Error { "not a PE file" };
    const uint64_t optionalAt = uint64_t(dos->newHeaderOffset) + PeFileHeader::size;
    ORBISK_TRY(directory, ResourceDirectoryOf(source, optionalAt, pe->sizeOfOptionalHeader));
    ORBISK_TRY(sections, SectionsOf(source, optionalAt + pe->sizeOfOptionalHeader, pe->numberOfSections));
    const ResourceTree tree(source, *sections, directory->rva);
    ORBISK_TRY(types, tree.Entries(0, 65536));
    std::vector<ResourceIconContainer::Resource> groups, icons;
    // The first directory of each type counts; a repeated type is ignored.
    for (const ResourceDirectoryEntry& t : *types) {
        if (t.IsNamed())
            continue;
        if (t.Id() == wanted.group && groups.empty())
            groups = ResourcesOf(tree, t, kMaxGroups);
        else if (t.Id() == wanted.image && icons.empty())
            icons = ResourcesOf(tree, t, kMaxImagesListed);
    }
    if (groups.empty())
        return Error { "no groups" };
    return ContainerPtr(
        new PeIcons(std::move(groups), std::move(icons), wanted.kind, std::move(*sections), directory->rva));
}

} // namespace orbisk

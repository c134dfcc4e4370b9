// NE (16-bit) programs, libraries and icon libraries (.ICL): the resource
// table is an alignment shift, then TYPEINFO records each followed by its
// NAMEINFO records, ended by a type id of 0. Offsets and lengths count in
// units of 1 << shift; names are offsets of strings in the table.

#include "platform/extract/ExtractLimits.h"
#include "platform/extract/IconDecoders.h"
#include "platform/extract/PeRecords.h"
#include "platform/extract/ResourceIconContainer.h"

#include <algorithm>
#include <string>
#include <vector>

namespace orbisk {

namespace {

// The table is addressed with 16-bit offsets.
constexpr uint64_t kMaxTableBytes = 65536;
// Shifts above this would put resources beyond any 16-bit program's file.
constexpr uint16_t kMaxAlignShift = 24;

// Where a part of the file lies: a resource (a resource's ref is its index in
// the list of them) or the resource table, which holds the names.
struct Extent {
    uint64_t offset = 0;
    uint64_t length = 0;
};

class NeIcons final : public ResourceIconContainer {
public:
    NeIcons(std::vector<Resource> groups, std::vector<Resource> icons, GroupKind kind, std::vector<Extent> places,
            Extent table)
        : ResourceIconContainer(std::move(groups), std::move(icons), kind)
        , places_(std::move(places))
        , table_(table)
    {
    }

protected:
    bool PadsResources() const override { return true; }

    Result<ImageLocation> Locate(ByteSource& source, ResourceRef ref) override
    {
        const Extent& p = places_[ref];
        return ClampToFile(p.offset, p.length, source.Size());
    }

    // A length byte and that many characters, within the table.
    Result<std::string> NameOf(ByteSource& source, const Resource& r) override
    {
        if (r.nameAt >= table_.length)
            return Error { "resource name outside the table" };
        ORBISK_TRY(length, source.Read(table_.offset + r.nameAt, 1));
        if (!CheckedRange(r.nameAt + 1, length->front(), table_.length))
            return Error { "resource name outside the table" };
        ORBISK_TRY(name, source.Read(table_.offset + r.nameAt + 1, length->front()));
        return Utf8FromWindows1252(*name);
    }

private:
    std::vector<Extent> places_;
    Extent table_;
};

struct Table {
    std::vector<ResourceIconContainer::Resource> groups, icons;
    std::vector<Extent> places;
};

ResourceIconContainer::Resource ToResource(const NeNameInfo& info, uint16_t shift, std::vector<Extent>& places)
{
    places.push_back({ uint64_t(info.offset) << shift, uint64_t(info.length) << shift });
    const bool numeric = info.IsNumeric();
    return { !numeric, numeric ? info.Number() : uint16_t(0), numeric ? 0u : info.id, places.size() - 1 };
}

Result<Table> ReadTable(const ByteReader& table, const ResourceTypes& types)
{
    auto shift = table.U16(0);
    if (!shift || *shift > kMaxAlignShift)
        return Error { "bad resource alignment" };
    Table out;
    uint64_t at = 2;
    // Every record moves on by at least its own size and the table is
    // bounded, so the walk ends.
    while (true) {
        auto type = table.Record<NeTypeInfo>(at);
        if (!type || type->typeId == 0)
            break;
        at += NeTypeInfo::size;
        std::vector<ResourceIconContainer::Resource>* list = nullptr;
        if (type->IsNumbered(types.group))
            list = &out.groups;
        else if (type->IsNumbered(types.image))
            list = &out.icons;
        for (uint32_t i = 0; i < type->count; ++i, at += NeNameInfo::size) {
            auto info = table.Record<NeNameInfo>(at);
            if (!info)
                return out; // a table cut short keeps what it listed
            if (list)
                list->push_back(ToResource(*info, *shift, out.places));
        }
    }
    return out;
}

} // namespace

Result<ContainerPtr> OpenNe(ByteSource& source, const ByteReader& head, const ResourceTypes& types)
{
    ORBISK_TRY(dos, head.Record<DosHeader>(0));
    ORBISK_TRY(bytes, source.Read(dos->newHeaderOffset, std::min<uint64_t>(NeHeader::size, source.Size() - std::min<uint64_t>(source.Size(), dos->newHeaderOffset))));
    auto ne = ByteReader(*bytes).Record<NeHeader>(0);
    if (!ne || ne->signature != NeHeader::kSignature)
        return Error { "not an NE file" };
    const uint64_t start = uint64_t(dos->newHeaderOffset) + ne->resourceTableOffset;
    if (ne->resourceTableOffset == 0 || start >= source.Size())
        return Error { "no resource table" };
    uint64_t length = std::min(kMaxTableBytes, source.Size() - start);
    if (ne->residentNameTableOffset > ne->resourceTableOffset)
        length = std::min<uint64_t>(length, ne->residentNameTableOffset - ne->resourceTableOffset);
    ORBISK_TRY(tableBytes, source.Read(start, length));
    ORBISK_TRY(table, ReadTable(ByteReader(*tableBytes), types));
    if (table->groups.empty())
        return Error { "no groups" };
    return ContainerPtr(new NeIcons(std::move(table->groups), std::move(table->icons), types.kind,
                                    std::move(table->places), Extent { start, length }));
}

} // namespace orbisk

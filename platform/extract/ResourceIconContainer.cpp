#include "platform/extract/ResourceIconContainer.h"

#include "platform/extract/ExtractLimits.h"
#include "platform/extract/IconRecords.h"

#include <algorithm>

namespace orbisk {

namespace {

void NumberingOrder(std::vector<ResourceIconContainer::Resource>& resources)
{
    std::stable_sort(resources.begin(), resources.end(), [](const auto& a, const auto& b) {
        if (a.named != b.named)
            return a.named;
        return !a.named && a.id < b.id;
    });
}

} // namespace

ResourceIconContainer::ResourceIconContainer(std::vector<Resource> groups, std::vector<Resource> icons, GroupKind kind)
    : groups_(std::move(groups))
    , kind_(kind)
{
    NumberingOrder(groups_);
    for (const Resource& r : icons) {
        if (!r.named)
            icons_.push_back(r);
    }
    // Stable: of two icons with one id, the first stored is found.
    std::stable_sort(icons_.begin(), icons_.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
}

const ResourceIconContainer::Resource* ResourceIconContainer::FindIcon(uint16_t id) const
{
    auto it = std::lower_bound(icons_.begin(), icons_.end(), id, [](const Resource& r, uint16_t v) { return r.id < v; });
    return it != icons_.end() && it->id == id ? &*it : nullptr;
}

Result<std::vector<ImageLocation>> ResourceIconContainer::GroupImages(ByteSource& source, uint32_t g)
{
    if (Budget().named == 0)
        return Error { "too many images named" };
    ORBISK_TRY(at, Locate(source, groups_[g].ref));
    ORBISK_TRY(headerBytes, source.Read(at->offset, at->size < IconDirHeader::size ? at->size : IconDirHeader::size));
    auto header = ByteReader(*headerBytes).Record<IconDirHeader>(0);
    if (!header)
        return Error { "icon group cut short" };
    // Entries that the resource's size does not cover are left out.
    uint64_t count = std::min<uint64_t>(header->count, kMaxGroupEntries);
    count = std::min<uint64_t>(count, (at->size - IconDirHeader::size) / GroupIconDirEntry::size);
    ORBISK_TRY(table, source.Read(at->offset + IconDirHeader::size, count * GroupIconDirEntry::size));
    const ByteReader entries(*table);
    std::vector<ImageLocation> images;
    for (uint64_t i = 0; i < count; ++i) {
        if (!ImageBudget::Spend(Budget().named))
            break;
        auto image = LocateImage(source, *entries.Record<GroupIconDirEntry>(i * GroupIconDirEntry::size));
        if (!image)
            continue;
        image->entry = uint32_t(i);
        images.push_back(*image);
    }
    return images;
}

Result<GroupResource> ResourceIconContainer::ResourceOf(ByteSource& source, uint32_t g)
{
    const Resource& r = groups_[g];
    GroupResource out { { r.id }, LanguageOf(source, r) };
    if (r.named) {
        ORBISK_TRY(name, NameOf(source, r));
        out.name.value = std::move(*name);
    }
    return out;
}

Result<ImageLocation> ResourceIconContainer::LocateImage(ByteSource& source, const GroupIconDirEntry& entry)
{
    const Resource* icon = FindIcon(entry.id);
    if (!icon)
        return Error { "image missing from the file" };
    auto image = LocateIcon(source, std::size_t(icon - icons_.data()));
    if (!image)
        return image;
    // The directory's size counts the hot spot of a cursor image too.
    uint64_t claimed = entry.bytesInRes;
    if (kind_ == GroupKind::Cursor) {
        auto hotspot = source.Read(image->offset, 4);
        if (!hotspot || image->size <= 4)
            return Error { "cursor image cut short" };
        const ByteReader words(*hotspot);
        image->hotspot = Hotspot { *words.U16(0), *words.U16(2) };
        image->offset += 4;
        image->size -= 4;
        claimed = claimed > 4 ? claimed - 4 : 0;
    }
    if (PadsResources() && claimed > 0 && claimed < image->size)
        image->unpaddedSize = claimed;
    return image;
}

Result<ImageLocation> ResourceIconContainer::LocateIcon(ByteSource& source, std::size_t i)
{
    if (located_.empty())
        located_.resize(icons_.size());
    Located& place = located_[i];
    if (place.state == Located::Unknown) {
        auto at = Locate(source, icons_[i].ref);
        place.state = at ? Located::Found : Located::Missing;
        if (at)
            place.offset = at->offset, place.size = at->size;
    }
    if (place.state == Located::Missing)
        return Error { "icon image outside the file" };
    ImageLocation at;
    at.offset = place.offset;
    at.size = place.size;
    return at;
}

} // namespace orbisk

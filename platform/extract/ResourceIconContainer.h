#pragma once

#include "platform/extract/IconContainer.h"
#include "platform/extract/IconRecords.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// The resource types that make a program's groups and their images.
struct ResourceTypes {
    uint16_t group;
    uint16_t image;
    GroupKind kind;
};
constexpr ResourceTypes kIconResources { 14, 3, GroupKind::Icon }; // RT_GROUP_ICON, RT_ICON
constexpr ResourceTypes kCursorResources { 12, 1, GroupKind::Cursor }; // RT_GROUP_CURSOR, RT_CURSOR

// A PE or NE program or library's groups of the given types: its icons with
// kIconResources, its cursors with kCursorResources.
Result<ContainerPtr> OpenPe(ByteSource& source, const ByteReader& head, const ResourceTypes& types);
Result<ContainerPtr> OpenNe(ByteSource& source, const ByteReader& head, const ResourceTypes& types);

// A program or library's icons: RT_GROUP_ICON resources, each a GRPICONDIR
// naming its images by RT_ICON id. The PE and NE formats differ only in how
// a resource is found in the file, which `Locate` supplies. Cursors are made
// alike (RT_GROUP_CURSOR naming RT_CURSOR ids), each image preceded by its
// hot spot.
class ResourceIconContainer : public IconContainer {
public:
    // A resource as the format's directory knows it; Locate turns it into
    // a place in the file.
    using ResourceRef = uint64_t;
    struct Resource {
        bool named = false;
        uint16_t id = 0;
        // A named resource: where the format keeps its string (read only
        // when the name is asked for).
        uint32_t nameAt = 0;
        ResourceRef ref = 0;
    };

    // `groups` in directory order as stored; `icons` as stored. The groups
    // are put in the order icons are numbered by: named ones as stored,
    // then numeric ids ascending.
    ResourceIconContainer(std::vector<Resource> groups, std::vector<Resource> icons,
                          GroupKind kind = GroupKind::Icon);

    uint32_t GroupCount() const override { return uint32_t(groups_.size()); }
    GroupKind Kind() const override { return kind_; }
    Result<std::vector<ImageLocation>> GroupImages(ByteSource& source, uint32_t g) override;
    Result<GroupResource> ResourceOf(ByteSource& source, uint32_t g) override;

protected:
    virtual Result<ImageLocation> Locate(ByteSource& source, ResourceRef ref) = 0;
    // The string of a named resource, as UTF-8.
    virtual Result<std::string> NameOf(ByteSource& source, const Resource& r) = 0;
    // The language of the entry Locate takes; none where the format has no
    // languages.
    virtual std::optional<uint16_t> LanguageOf(ByteSource&, const Resource&) { return std::nullopt; }
    // Whether the format stores resources in whole alignment units (NE).
    virtual bool PadsResources() const { return false; }

private:
    const Resource* FindIcon(uint16_t id) const;
    Result<ImageLocation> LocateImage(ByteSource& source, const GroupIconDirEntry& entry);
    // Where icons_[i] lies; each image is located once per parse, however
    // many groups name it.
    Result<ImageLocation> LocateIcon(ByteSource& source, std::size_t i);

    struct Located {
        enum State : uint8_t { Unknown, Found, Missing };
        uint64_t offset = 0;
        uint64_t size = 0;
        State state = Unknown;
    };

    std::vector<Resource> groups_;
    std::vector<Resource> icons_; // numeric ids, ascending
    std::vector<Located> located_; // by index into icons_, filled as groups name them
    GroupKind kind_;
};
// A file of 65,536 groups keeps this per group while its icons are made.
static_assert(sizeof(ResourceIconContainer::Resource) == 16);

} // namespace orbisk

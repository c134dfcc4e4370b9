#pragma once

#include "platform/extract/IconContainer.h"

#include <cstdint>
#include <vector>

namespace orbisk {

// A program or library's icons: RT_GROUP_ICON resources, each a GRPICONDIR
// naming its images by RT_ICON id. The PE and NE formats differ only in how
// a resource is found in the file, which `Locate` supplies.
class ResourceIconContainer : public IconContainer {
public:
    // A resource as the format's directory knows it; Locate turns it into
    // a place in the file.
    using ResourceRef = uint64_t;
    struct Resource {
        bool named = false;
        uint16_t id = 0;
        ResourceRef ref = 0;
    };

    // `groups` in directory order as stored; `icons` as stored. The groups
    // are put in the order icons are numbered by: named ones as stored,
    // then numeric ids ascending.
    ResourceIconContainer(std::vector<Resource> groups, std::vector<Resource> icons);

    uint32_t GroupCount() const override { return uint32_t(groups_.size()); }
    Result<std::vector<ImageLocation>> GroupImages(ByteSource& source, uint32_t g) override;

protected:
    virtual Result<ImageLocation> Locate(ByteSource& source, ResourceRef ref) = 0;

private:
    const Resource* FindIcon(uint16_t id) const;

    std::vector<Resource> groups_;
    std::vector<Resource> icons_; // numeric ids, ascending
};

} // namespace orbisk

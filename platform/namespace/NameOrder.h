#pragma once

#include "platform/namespace/ItemIdList.h"

#include <QCollatorSortKey>

#include <string_view>

namespace orbisk {

// The shell's order of the items of one folder: virtual items first
// (Computer, then the home folder, then the drives with `/` first), folders
// before files, then names in natural order (NaturalOrder.h), so two
// different names never compare equal.

// The order of two elements of one folder: negative, zero or positive.
int CompareElements(const ItemIdList::ElementView& x, const ItemIdList::ElementView& y);

// An element's place in that order as a key, for sorting many items at once:
// comparing two keys gives what CompareElements gives for their elements,
// without collating the names again for every comparison.
class ElementOrderKey {
public:
    explicit ElementOrderKey(const ItemIdList::ElementView& element);
    int Compare(const ElementOrderKey& other) const;

private:
    int rank_;
    QCollatorSortKey collation_;
    std::string_view name_; // borrowed from the element's list
};

} // namespace orbisk

#pragma once

#include "platform/namespace/ItemIdList.h"

namespace orbisk {

// What an absolute item-ID list stands for.
enum class NamespaceRole {
    Desktop,    // the empty list
    Computer,   // [Computer]
    FileSystem, // a drive, the home folder, a desktop entry, or below one
    Invalid,    // a chain that the namespace never makes
};
NamespaceRole RoleOf(const ItemIdList& absolute);

} // namespace orbisk

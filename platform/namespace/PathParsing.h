#pragma once

#include "platform/namespace/ItemIdList.h"

#include <QString>

#include <optional>
#include <string_view>

namespace orbisk {

// The item-ID list of an existing absolute path: Computer, the drive with the
// longest mount point that holds it, then one element per component below.
// Also accepts ComputerParsingName. None for a path that does not exist, is
// relative or too long (MaxPathBytes).
std::optional<ItemIdList> ParseNativePath(std::string_view path);
std::optional<ItemIdList> ParseDisplayName(const QString& name);

// [Computer] and [Computer, drive].
ItemIdList ComputerIdList();
ItemIdList DriveIdList(std::string_view mountPoint);

} // namespace orbisk

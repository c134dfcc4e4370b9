#pragma once

#include "platform/namespace/ItemIdList.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace orbisk {

// The names of an item of the namespace, worked out from its item-ID list.

// The parsing name of Computer; parsing it gives Computer back.
inline constexpr std::string_view ComputerParsingName = "computer:///";

// A native name shown to the user: UTF-8, invalid bytes as U+FFFD.
QString DecodeName(std::string_view native);

// The native path of a file-system item; none for the desktop, Computer and
// chains the namespace never makes.
std::optional<std::string> NativePathOf(const ItemIdList& absolute);

// The item's name in parsing form: its full path for a file-system item,
// ComputerParsingName for Computer, the desktop folder's path for the desktop
// (as the shell has it); empty for an invalid chain.
QString ParsingNameOf(const ItemIdList& absolute);

// The name of the list's last element as the user sees it: "Desktop",
// "Computer", "File System" for `/`, a volume's label or folder name, "Home",
// or the decoded file name.
QString DisplayNameOf(const ItemIdList& absolute);

} // namespace orbisk

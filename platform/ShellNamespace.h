#pragma once

#include "platform/ItemIdList.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace orbisk {

// What an absolute item-ID list stands for.
enum class NamespaceRole {
    Desktop,    // the empty list
    Computer,   // [Computer]
    FileSystem, // a drive, the home folder, a desktop entry, or below one
    Invalid,    // a chain that the namespace never makes
};
NamespaceRole RoleOf(const ItemIdList& absolute);

// The namespace's fixed places on this machine, as native paths. Read anew on
// every call (they follow HOME and the XDG user-dirs file).
std::string HomeFolderPath();
std::string DesktopFolderPath();

// The parsing name of Computer; parsing it gives Computer back.
inline constexpr std::string_view ComputerParsingName = "computer:///";

// `base` + "/" + `name`, never doubling the separator after `/`.
std::string JoinPath(std::string_view base, std::string_view name);

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

// Paths longer than this (in bytes) are not parsed: the kernel would refuse
// them anyway, and a shortened path would name another file.
inline constexpr std::size_t MaxParsePathBytes = 4096;

// Lexical clean-up of an absolute path: no empty or "." components, ".." takes
// the previous component away (never above `/`), no trailing separator. None
// for a relative or over-long path.
std::optional<std::string> NormalizePath(std::string_view path);

// The item-ID list of an existing absolute path: Computer, the drive with the
// longest mount point that holds it, then one element per component below.
// Also accepts ComputerParsingName. None for a path that does not exist, is
// relative or too long.
std::optional<ItemIdList> ParseNativePath(std::string_view path);
std::optional<ItemIdList> ParseDisplayName(const QString& name);

// [Computer] and [Computer, drive].
ItemIdList ComputerIdList();
ItemIdList DriveIdList(std::string_view mountPoint);

} // namespace orbisk

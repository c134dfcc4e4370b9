#pragma once

#include "platform/namespace/ItemIdList.h"
#include "platform/namespace/ShellFolder.h"

#include <QString>

#include <cstdint>

namespace orbisk {

// What the file-info query is asked for.
enum FileInfoFlag : uint32_t {
    InfoDisplayName = 1u << 0,
    InfoAttributes = 1u << 1,
    InfoSysIconIndex = 1u << 2,
    InfoOpenIcon = 1u << 3, // the open-folder icon instead of the closed one
};

struct ShellFileInfo {
    QString displayName;
    uint32_t attributes = 0; // ShellAttribute bits: folder, file system, link, share, hidden
    int iconIndex = -1;      // into the system image lists
};

// The file-info query for an item of a bound folder. It looks at nothing on
// disk that the item's list does not already know, so it is cheap enough to
// ask for every item of a large folder: file icons are chosen by extension,
// and each extension is looked up in the MIME database once per run.
ShellFileInfo GetShellFileInfo(const ShellFolder& parent, const ItemIdList& relative, uint32_t flags);

// The same for an absolute list (its parent is bound first).
ShellFileInfo SHGetFileInfo(const ItemIdList& absolute, uint32_t flags);

} // namespace orbisk

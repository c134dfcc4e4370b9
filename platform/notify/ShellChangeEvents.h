#pragma once

#include "platform/namespace/ItemIdList.h"

#include <cstdint>
#include <optional>

namespace orbisk {

// The platform's shell change events: what a change record says happened.
enum ShellChangeEvent : uint32_t {
    ChangeRenameItem = 0x00000001,
    ChangeCreate = 0x00000002,
    ChangeDelete = 0x00000004,
    ChangeMkdir = 0x00000008,
    ChangeRmdir = 0x00000010,
    ChangeMediaInserted = 0x00000020,
    ChangeMediaRemoved = 0x00000040,
    ChangeDriveRemoved = 0x00000080,
    ChangeDriveAdd = 0x00000100,
    ChangeNetShare = 0x00000200,
    ChangeNetUnshare = 0x00000400,
    ChangeAttributes = 0x00000800,
    ChangeUpdateDir = 0x00001000,
    ChangeUpdateItem = 0x00002000,
    ChangeServerDisconnect = 0x00004000,
    ChangeUpdateImage = 0x00008000,
    ChangeDriveAddGui = 0x00010000,
    ChangeRenameFolder = 0x00020000,
    ChangeFreeSpace = 0x00040000,
    ChangeAssociation = 0x08000000,
};

// One change as the platform delivers it. For a rename the first list is
// the old item and the second the new one; for a change that concerns one
// item both lists name it. A change that carries ChangeUpdateDir with another
// event happened inside the folder that holds the first item; alone, it names
// the folder itself.
struct ShellChangeRecord {
    std::optional<ItemIdList> first;
    std::optional<ItemIdList> second;
    uint32_t events = 0;
    uint32_t driveMask = 0; // with ChangeFreeSpace
};

} // namespace orbisk

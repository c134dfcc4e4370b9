#include "shell/notify/NotifyEvents.h"

#include "platform/notify/ShellChangeEvents.h"

#include <array>

namespace orbisk {

namespace {

constexpr std::array<uint32_t, NotifyEventCount> PlatformEvents{
    ChangeAssociation,      // neAssociationChange
    ChangeAttributes,       // neAttributesChange
    ChangeUpdateItem,       // neFileChange
    ChangeCreate,           // neFileCreate
    ChangeDelete,           // neFileDelete
    ChangeRenameItem,       // neFileRename
    ChangeDriveAdd,         // neDriveAdd
    ChangeDriveRemoved,     // neDriveRemove
    ChangeDriveAddGui,      // neShellDriveAdd
    ChangeFreeSpace,        // neDriveSpaceChange
    ChangeMediaInserted,    // neMediaInsert
    ChangeMediaRemoved,     // neMediaRemove
    ChangeMkdir,            // neFolderCreate
    ChangeRmdir,            // neFolderDelete
    ChangeRenameFolder,     // neFolderRename
    ChangeUpdateDir,        // neFolderUpdate
    ChangeNetShare,         // neNetShare
    ChangeNetUnshare,       // neNetUnShare
    ChangeServerDisconnect, // neServerDisconnect
    ChangeUpdateImage,      // neImageListChange
};

} // namespace

uint32_t PlatformEventOf(TStNotifyEvents event)
{
    const int i = int(event);
    return i >= 0 && i < NotifyEventCount ? PlatformEvents[std::size_t(i)] : 0;
}

uint32_t PlatformEventsOf(TStNotifyEventsSet events)
{
    uint32_t bits = 0;
    for (int i = 0; i < NotifyEventCount; ++i)
        if (events.Contains(TStNotifyEvents(i)))
            bits |= PlatformEvents[std::size_t(i)];
    return bits;
}

} // namespace orbisk

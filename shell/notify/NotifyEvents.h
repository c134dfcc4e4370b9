#pragma once

#include "platform/base/EnumSet.h"

#include <cstdint>
#include <functional>

class QObject;

namespace orbisk {

class TStShellItem;

// The kinds of change a watcher reports, in the order in which one change's
// events are raised (except neDriveSpaceChange, which comes last).
enum TStNotifyEvents : int {
    neAssociationChange,
    neAttributesChange,
    neFileChange,
    neFileCreate,
    neFileDelete,
    neFileRename,
    neDriveAdd,
    neDriveRemove,
    neShellDriveAdd,
    neDriveSpaceChange,
    neMediaInsert,
    neMediaRemove,
    neFolderCreate,
    neFolderDelete,
    neFolderRename,
    neFolderUpdate,
    neNetShare,
    neNetUnShare,
    neServerDisconnect,
    neImageListChange,
};
inline constexpr int NotifyEventCount = 20;

// A set of TStNotifyEvents.
using TStNotifyEventsSet = EnumSet<TStNotifyEvents, NotifyEventCount>;

// The platform's shell change event (ShellChangeEvent) that a member stands
// for, both when registering and when decoding.
uint32_t PlatformEventOf(TStNotifyEvents event);
uint32_t PlatformEventsOf(TStNotifyEventsSet events);

// The summary of one shell change, as a watcher hands it to its owner.
using TStShellNotifyEvent3 =
    std::function<void(QObject* Sender, TStShellItem* OldShellItem, TStShellItem* NewShellItem, TStNotifyEventsSet Events)>;

} // namespace orbisk

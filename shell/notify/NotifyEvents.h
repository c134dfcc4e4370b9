#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>

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
class TStNotifyEventsSet {
public:
    constexpr TStNotifyEventsSet() = default;
    constexpr TStNotifyEventsSet(std::initializer_list<TStNotifyEvents> events)
    {
        for (TStNotifyEvents e : events)
            Include(e);
    }
    static constexpr TStNotifyEventsSet All()
    {
        TStNotifyEventsSet s;
        s.bits_ = (1u << NotifyEventCount) - 1;
        return s;
    }

    constexpr bool Contains(TStNotifyEvents e) const { return (bits_ >> int(e)) & 1u; }
    constexpr void Include(TStNotifyEvents e) { bits_ |= 1u << int(e); }
    constexpr void Exclude(TStNotifyEvents e) { bits_ &= ~(1u << int(e)); }
    constexpr bool IsEmpty() const { return bits_ == 0; }
    constexpr uint32_t Bits() const { return bits_; }
    constexpr bool operator==(const TStNotifyEventsSet&) const = default;

private:
    uint32_t bits_ = 0;
};

// The platform's shell change event (ShellChangeEvent) that a member stands
// for, both when registering and when decoding.
uint32_t PlatformEventOf(TStNotifyEvents event);
uint32_t PlatformEventsOf(TStNotifyEventsSet events);

// The summary of one shell change, as a watcher hands it to its owner.
using TStShellNotifyEvent3 =
    std::function<void(QObject* Sender, TStShellItem* OldShellItem, TStShellItem* NewShellItem, TStNotifyEventsSet Events)>;

} // namespace orbisk

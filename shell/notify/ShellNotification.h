#pragma once

#include "platform/namespace/ItemIdList.h"
#include "platform/notify/LoadedFolders.h"
#include "platform/notify/ShellChangeEvents.h"
#include "shell/items/FolderChoice.h"
#include "shell/items/ShellItem.h"
#include "shell/notify/NotifyEvents.h"

#include <QEvent>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

class QSocketNotifier;

namespace orbisk {

class ShellChangeRegistration;

using TStShellItemEvent = std::function<void(QObject* Sender, TStShellItem* Item)>;
using TStShellItemPairEvent = std::function<void(QObject* Sender, TStShellItem* OldItem, TStShellItem* NewItem)>;
using TStShellNotifyEvent = std::function<void(QObject* Sender)>;
using TStDriveMaskEvent = std::function<void(QObject* Sender, uint32_t DriveMask)>;

// The shell change watcher: registers for the changes of one folder (or of
// the whole namespace), receives each change on the window thread, turns it
// into old and new shell items and an event set, and tells its owner.
//
// Changes reach the watcher as they are read from the kernel, or as events
// posted to itself (PostChange, ChangeMessage). An attribute change is
// handled at once; every other change waits in the queue, handled from
// QueueMessage, so that making items and refreshing the owner happen after
// the delivery, in order. Shell items are made only then, and only for
// changes whose events the owner takes (NotifyEvents).
//
// Bursts are bounded. With a queue limit, changes that arrive while the
// queue is full are not reported one by one; nor are the changes of one
// folder beyond MaxChangesPerFolder before the queue is handled. Each folder
// they happened in is reported once as updated (neFolderUpdate) after the
// queue, so nothing changes unseen; an owner reads such a folder again. When
// the kernel itself dropped changes, every watched folder is reported so.
//
// "Sub-folders" are the loaded folders of a tree (AddLoadedFolder): the
// whole namespace watches all of them, one folder with sub-folders those
// below it. Nothing is ever listed to find folders to watch; a loaded folder
// adds or drops one watch, and changing a property never watches again what
// is watched already. A loaded folder that is renamed stays loaded (and
// watched) under its new ID list.
//
// For a change that concerns one item, the old and the new item both name
// it (one item object is passed as both); for a rename they are the old and
// the new name. OnFolderChange gets the folder whose contents changed.
class TStCustomShellNotification : public QObject {
    Q_OBJECT
public:
    explicit TStCustomShellNotification(QObject* parent = nullptr);
    ~TStCustomShellNotification() override;

    static constexpr QEvent::Type ChangeMessage = QEvent::Type(QEvent::User + 1);
    static constexpr QEvent::Type QueueMessage = QEvent::Type(QEvent::User + 2);
    // Continues delivering a long read.
    static constexpr QEvent::Type DeliverMessage = QEvent::Type(QEvent::User + 3);

    bool Active() const { return active_; }
    void SetActive(bool active);
    TStNotifyEventsSet NotifyEvents() const { return notifyEvents_; }
    void SetNotifyEvents(TStNotifyEventsSet events);
    // Setting a special folder checks the shell's version and watches that
    // folder; EStInvalidFolder when the role has no folder here.
    TStSpecialRootFolder SpecialWatchFolder() const { return watchFolder_.Special(); }
    void SetSpecialWatchFolder(TStSpecialRootFolder folder);
    // A path to watch; EStInvalidFolder (and nothing changed) when it cannot
    // be parsed. Setting it empty only clears the text.
    const QString& WatchFolder() const { return watchFolder_.Path(); }
    void SetWatchFolder(const QString& path);
    // With sub-folders, one watched folder brings the loaded folders below
    // it; the whole namespace watches every loaded folder either way.
    bool WatchSubFolders() const { return watchSubFolders_; }
    void SetWatchSubFolders(bool watch);
    // The watched list; none watches the whole namespace, that is, the
    // desktop, every folder handed to AddLoadedFolder (the tree's loaded
    // nodes) and the drives. Setting the list already watched changes
    // nothing.
    const std::optional<ItemIdList>& WatchIdList() const { return watchIdList_; }
    void SetWatchIdList(std::optional<ItemIdList> list);
    // Changes queued at most before the queue is handled; 0 is no limit.
    int QueueLimit() const { return queueLimit_; }
    void SetQueueLimit(int limit) { queueLimit_ = limit < 0 ? 0 : limit; }

    // A tree's folder node was loaded (or unloaded): watched while the whole
    // namespace (or a folder above it, with sub-folders) is. Counted, like
    // the nodes that show one folder: the first add watches it, the last
    // remove stops watching it.
    void AddLoadedFolder(const ItemIdList& folder);
    void RemoveLoadedFolder(const ItemIdList& folder);

    // Delivers a change as the platform does: posted to the watcher.
    void PostChange(ShellChangeRecord change);

    bool IsRegistered() const { return registration_ != nullptr; }
    // Some folders could not be watched: the kernel's watch limit is used up.
    bool WatchLimitReached() const;
    // The folders watched now (kernel watches); 0 when not registered.
    int WatchCount() const;
    int QueuedCount() const { return int(queue_.size()); }

    TStShellNotifyEvent OnAssociationChange;
    TStShellItemPairEvent OnAttributeChange;
    TStShellItemEvent OnFileChange;
    TStShellItemEvent OnFileCreate;
    TStShellItemPairEvent OnFileDelete;
    TStShellItemPairEvent OnFileRename;
    TStShellItemEvent OnDriveAdd;
    TStShellItemEvent OnDriveRemove;
    TStShellItemEvent OnShellDriveAdd;
    TStDriveMaskEvent OnDriveSpaceChange;
    TStShellItemEvent OnMediaInsert;
    TStShellItemEvent OnMediaRemove;
    TStShellItemEvent OnFolderCreate;
    TStShellItemEvent OnFolderDelete;
    TStShellItemPairEvent OnFolderRename;
    TStShellItemEvent OnFolderChange;
    TStShellItemEvent OnNetShare;
    TStShellItemEvent OnNetUnShare;
    TStShellItemEvent OnServerDisconnect;
    TStShellNotifyEvent OnImageListChange;
    // The owner's handler, called once per change after the events above.
    TStShellNotifyEvent3 OnShellChangeNotify;

    // Changes of one folder reported one by one before the queue is handled;
    // the folder's further changes until then become one folder update.
    static constexpr int MaxChangesPerFolder = 64;
    // Distinct folders remembered for changes folded into folder updates;
    // beyond this the watched folder (or the desktop) is reported instead.
    static constexpr int MaxCoalescedFolders = 64;
    // Time after which delivering changes or handling the queue yields to
    // the event loop.
    static constexpr int QueueSliceMilliseconds = 20;

protected:
    bool event(QEvent* e) override;

private:
    class ChangeItems;
    struct ListHash {
        std::size_t operator()(const ItemIdList& list) const { return list.Hash(); }
    };

    void Register();
    void Deregister();
    void RegisterAgain();
    void ReadInotify();
    void ReadMountTable();
    void ReadAfterWait();
    void Deliver(std::vector<ShellChangeRecord> changes);
    void DeliverIncoming();
    // False when a handler destroyed the watcher.
    bool HandleChange(ShellChangeRecord change);
    bool HandleAttributeChange(const ShellChangeRecord& change);
    void HandleQueue();
    void Watch(const FolderChoice& chosen);
    void Coalesce(const std::optional<ItemIdList>& folder);
    void ScheduleQueue();
    // Raises the per-kind events and the owner's handler; false when a
    // handler destroyed the watcher.
    bool Dispatch(const ShellChangeRecord& change);
    void Raise(TStNotifyEvents kind, const ShellChangeRecord& change, ChangeItems& items);

    bool active_ = false;
    TStNotifyEventsSet notifyEvents_ = TStNotifyEventsSet::All();
    FolderChoice watchFolder_;
    bool watchSubFolders_ = false;
    std::optional<ItemIdList> watchIdList_;
    int queueLimit_ = 0;
    LoadedFolders loadedFolders_;
    std::unique_ptr<ShellChangeRegistration> registration_;
    QSocketNotifier* inotifyNotifier_ = nullptr;
    QSocketNotifier* mountNotifier_ = nullptr;
    QTimer heldMoveTimer_;
    // Changes read but not yet delivered: a long read is delivered in
    // slices, and the kernel is not read again until it is done.
    std::deque<ShellChangeRecord> incoming_;
    bool deliveryPosted_ = false;
    std::deque<ShellChangeRecord> queue_;
    bool queuePosted_ = false;
    std::unordered_map<ItemIdList, int, ListHash> changesPerFolder_;
    std::vector<ItemIdList> coalescedFolders_;
    bool coalescedBeyondLimit_ = false;
};

// The watcher as the tree and the list own it.
class TStShellNotification : public TStCustomShellNotification {
    Q_OBJECT
public:
    using TStCustomShellNotification::TStCustomShellNotification;
};

} // namespace orbisk

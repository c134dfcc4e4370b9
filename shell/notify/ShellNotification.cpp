#include "shell/notify/ShellNotification.h"

#include "platform/notify/ShellChangeRegistration.h"
#include "shell/items/ShellErrors.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>
#include <utility>

namespace orbisk {

namespace {

// ChangeMessage: one change, as delivered.
class ChangeMessageEvent : public QEvent {
public:
    explicit ChangeMessageEvent(ShellChangeRecord change)
        : QEvent(TStCustomShellNotification::ChangeMessage), change_(std::move(change))
    {
    }
    ShellChangeRecord TakeChange() { return std::move(change_); }

private:
    ShellChangeRecord change_;
};

// The folder whose contents a change touched: the item itself for a change
// that is only a folder update, else the folder that holds the item.
std::optional<ItemIdList> ChangedFolder(const ShellChangeRecord& change)
{
    if (!change.first)
        return std::nullopt;
    if (change.events == ChangeUpdateDir)
        return change.first;
    return change.first->WithoutLast();
}

} // namespace

// The shell items of one change, made when first asked for. A change that
// names one item gets one item object, passed as both old and new.
class TStCustomShellNotification::ChangeItems {
public:
    explicit ChangeItems(const ShellChangeRecord& change) : change_(change) {}
    TStShellItem* Old()
    {
        Make();
        return old_.get();
    }
    TStShellItem* New()
    {
        Make();
        return newIsOld_ ? old_.get() : new_.get();
    }
    // The old item, else the new one: the item of a one-item event.
    TStShellItem* Either() { return Old() ? Old() : New(); }

private:
    void Make()
    {
        if (std::exchange(made_, true))
            return;
        if (change_.first)
            old_ = std::make_unique<TStShellItem>(*change_.first);
        newIsOld_ = change_.first && change_.second && *change_.first == *change_.second;
        if (change_.second && !newIsOld_)
            new_ = std::make_unique<TStShellItem>(*change_.second);
    }

    const ShellChangeRecord& change_;
    std::unique_ptr<TStShellItem> old_;
    std::unique_ptr<TStShellItem> new_;
    bool made_ = false;
    bool newIsOld_ = false;
};

TStCustomShellNotification::TStCustomShellNotification(QObject* parent) : QObject(parent)
{
    heldMoveTimer_.setSingleShot(true);
    heldMoveTimer_.setInterval(InotifyDecoder::HeldMoveMilliseconds);
    connect(&heldMoveTimer_, &QTimer::timeout, this, &TStCustomShellNotification::ReadAfterWait);
}

TStCustomShellNotification::~TStCustomShellNotification()
{
    Deregister();
}

void TStCustomShellNotification::SetActive(bool active)
{
    active_ = active;
    if (active)
        Register();
    else
        Deregister();
}

void TStCustomShellNotification::SetNotifyEvents(TStNotifyEventsSet events)
{
    notifyEvents_ = events;
    if (registration_)
        registration_->SetEvents(PlatformEventsOf(events));
}

// The folder is resolved before anything is stored, so that one that fails
// leaves the watcher as it was instead of naming a folder it does not watch.
void TStCustomShellNotification::Watch(const FolderChoice& chosen)
{
    std::optional<ItemIdList> list = chosen.IdList();
    if (!list)
        throw EStInvalidFolder();
    watchFolder_ = chosen;
    SetWatchIdList(std::move(list));
}

void TStCustomShellNotification::SetSpecialWatchFolder(TStSpecialRootFolder folder)
{
    FolderChoice chosen = watchFolder_;
    chosen.SetSpecial(folder);
    if (folder == sfNone)
        watchFolder_ = chosen;
    else
        Watch(chosen);
}

void TStCustomShellNotification::SetWatchFolder(const QString& path)
{
    FolderChoice chosen = watchFolder_;
    chosen.SetPath(path);
    if (path.isEmpty())
        watchFolder_ = chosen;
    else
        Watch(chosen);
}

void TStCustomShellNotification::SetWatchSubFolders(bool watch)
{
    watchSubFolders_ = watch;
    if (registration_)
        registration_->SetSubFolders(watch);
}

void TStCustomShellNotification::SetWatchIdList(std::optional<ItemIdList> list)
{
    if (list == watchIdList_)
        return;
    watchIdList_ = std::move(list);
    RegisterAgain();
}

void TStCustomShellNotification::AddLoadedFolder(const ItemIdList& folder)
{
    if (loadedFolders_.Add(folder) && registration_)
        registration_->AddFolder(folder);
}

void TStCustomShellNotification::RemoveLoadedFolder(const ItemIdList& folder)
{
    if (loadedFolders_.Remove(folder) && registration_)
        registration_->RemoveFolder(folder);
}

bool TStCustomShellNotification::WatchLimitReached() const
{
    return registration_ && registration_->WatchLimitReached();
}

int TStCustomShellNotification::WatchCount() const
{
    return registration_ ? registration_->WatchCount() : 0;
}

void TStCustomShellNotification::Register()
{
    if (registration_)
        return;
    registration_ = std::make_unique<ShellChangeRegistration>(watchIdList_, watchSubFolders_,
                                                              PlatformEventsOf(notifyEvents_), loadedFolders_);
    if (registration_->InotifyFd() >= 0) {
        inotifyNotifier_ = new QSocketNotifier(registration_->InotifyFd(), QSocketNotifier::Read, this);
        connect(inotifyNotifier_, &QSocketNotifier::activated, this, &TStCustomShellNotification::ReadInotify);
    }
    if (registration_->MountFd() >= 0) {
        // The mount table signals a change as a priority event.
        mountNotifier_ = new QSocketNotifier(registration_->MountFd(), QSocketNotifier::Exception, this);
        connect(mountNotifier_, &QSocketNotifier::activated, this, &TStCustomShellNotification::ReadMountTable);
    }
}

void TStCustomShellNotification::Deregister()
{
    // The notifiers go before the descriptors they watch are closed. What
    // was read but not delivered belongs to the registration that goes.
    delete inotifyNotifier_;
    inotifyNotifier_ = nullptr;
    delete mountNotifier_;
    mountNotifier_ = nullptr;
    heldMoveTimer_.stop();
    incoming_.clear();
    registration_.reset();
}

void TStCustomShellNotification::RegisterAgain()
{
    if (!active_)
        return;
    Deregister();
    Register();
}

void TStCustomShellNotification::ReadInotify()
{
    if (!registration_ || !incoming_.empty())
        return;
    std::vector<ShellChangeRecord> changes = registration_->ReadChanges();
    if (registration_->HoldsMove() && !heldMoveTimer_.isActive())
        heldMoveTimer_.start();
    Deliver(std::move(changes));
}

void TStCustomShellNotification::ReadAfterWait()
{
    if (!registration_)
        return;
    if (!incoming_.empty()) { // the last read is still being delivered
        heldMoveTimer_.start();
        return;
    }
    std::vector<ShellChangeRecord> changes = registration_->ReadAfterWait();
    if (registration_->HoldsMove())
        heldMoveTimer_.start();
    Deliver(std::move(changes));
}

void TStCustomShellNotification::ReadMountTable()
{
    if (registration_)
        Deliver(registration_->ReadMountChanges());
}

void TStCustomShellNotification::PostChange(ShellChangeRecord change)
{
    QCoreApplication::postEvent(this, new ChangeMessageEvent(std::move(change)));
}

bool TStCustomShellNotification::event(QEvent* e)
{
    if (e->type() == ChangeMessage) {
        HandleChange(static_cast<ChangeMessageEvent*>(e)->TakeChange());
        return true;
    }
    if (e->type() == QueueMessage) {
        HandleQueue();
        return true;
    }
    if (e->type() == DeliverMessage) {
        deliveryPosted_ = false;
        DeliverIncoming();
        return true;
    }
    return QObject::event(e);
}

void TStCustomShellNotification::Deliver(std::vector<ShellChangeRecord> changes)
{
    for (ShellChangeRecord& change : changes)
        incoming_.push_back(std::move(change));
    DeliverIncoming();
}

// A long read is delivered in slices. Meanwhile the kernel is not read: its
// own queue holds what comes next, and if that overflows, the watched
// folders are reported as updated.
void TStCustomShellNotification::DeliverIncoming()
{
    QElapsedTimer slice;
    slice.start();
    while (!incoming_.empty()) {
        ShellChangeRecord change = std::move(incoming_.front());
        incoming_.pop_front();
        if (!HandleChange(std::move(change)))
            return;
        if (!incoming_.empty() && slice.elapsed() >= QueueSliceMilliseconds) {
            if (inotifyNotifier_)
                inotifyNotifier_->setEnabled(false);
            if (!std::exchange(deliveryPosted_, true))
                QCoreApplication::postEvent(this, new QEvent(DeliverMessage));
            return;
        }
    }
    if (inotifyNotifier_)
        inotifyNotifier_->setEnabled(true);
}

bool TStCustomShellNotification::HandleChange(ShellChangeRecord change)
{
    const std::optional<ItemIdList> changedFolder = ChangedFolder(change);
    change.events &= PlatformEventsOf(notifyEvents_);
    if (change.events == 0)
        return true;
    // When the owner takes only the folder's update, the change is that
    // update, and names the folder.
    if (change.events == ChangeUpdateDir && changedFolder)
        change.first = change.second = changedFolder;
    if (queueLimit_ != 0 && int(queue_.size()) >= queueLimit_) {
        Coalesce(changedFolder);
        return true;
    }
    if (notifyEvents_.Contains(neFolderUpdate) && changedFolder) {
        if (++changesPerFolder_[*changedFolder] > MaxChangesPerFolder) {
            Coalesce(changedFolder);
            return true;
        }
        ScheduleQueue(); // the counts start afresh once the queue is handled
    }
    if (change.events & ChangeAttributes) {
        if (!HandleAttributeChange(change))
            return false;
        // Whatever else the change carries is not lost: it waits like any
        // other change.
        change.events &= ~uint32_t(ChangeAttributes);
        if (change.events == 0)
            return true;
    }
    queue_.push_back(std::move(change));
    ScheduleQueue();
    return true;
}

bool TStCustomShellNotification::HandleAttributeChange(const ShellChangeRecord& change)
{
    QPointer<TStCustomShellNotification> self(this);
    ChangeItems items(change);
    if (OnAttributeChange)
        OnAttributeChange(this, items.Old(), items.New());
    if (self && OnShellChangeNotify)
        OnShellChangeNotify(this, items.Old(), items.New(), TStNotifyEventsSet{neAttributesChange});
    return !self.isNull();
}

void TStCustomShellNotification::Coalesce(const std::optional<ItemIdList>& folder)
{
    if (!notifyEvents_.Contains(neFolderUpdate) || !folder)
        return; // the owner takes no folder updates: the change is dropped
    if (std::find(coalescedFolders_.begin(), coalescedFolders_.end(), *folder) == coalescedFolders_.end()) {
        if (int(coalescedFolders_.size()) < MaxCoalescedFolders)
            coalescedFolders_.push_back(*folder);
        else
            coalescedBeyondLimit_ = true;
    }
    ScheduleQueue();
}

void TStCustomShellNotification::ScheduleQueue()
{
    if (!std::exchange(queuePosted_, true))
        QCoreApplication::postEvent(this, new QEvent(QueueMessage));
}

void TStCustomShellNotification::HandleQueue()
{
    queuePosted_ = false;
    // A long queue (there is no limit) is handled in slices, each ending by
    // posting the next, so that the window thread keeps answering; the order
    // of changes is kept. Changes that arrive meanwhile join the queue.
    QElapsedTimer slice;
    slice.start();
    while (!queue_.empty()) {
        const ShellChangeRecord change = std::move(queue_.front());
        queue_.pop_front();
        if (!Dispatch(change))
            return;
        if (!queue_.empty() && slice.elapsed() >= QueueSliceMilliseconds) {
            ScheduleQueue();
            return;
        }
    }
    changesPerFolder_.clear();
    std::vector<ItemIdList> folders;
    folders.swap(coalescedFolders_);
    if (std::exchange(coalescedBeyondLimit_, false))
        folders.push_back(watchIdList_.value_or(ItemIdList()));
    for (const ItemIdList& folder : folders)
        if (!Dispatch({folder, folder, ChangeUpdateDir, 0}))
            return;
}

bool TStCustomShellNotification::Dispatch(const ShellChangeRecord& change)
{
    QPointer<TStCustomShellNotification> self(this);
    ChangeItems items(change);
    TStNotifyEventsSet events;
    const auto raise = [&](TStNotifyEvents kind) {
        if (!(change.events & PlatformEventOf(kind)))
            return true;
        events.Include(kind);
        Raise(kind, change, items);
        return !self.isNull();
    };
    for (int k = 0; k < NotifyEventCount; ++k) {
        const auto kind = TStNotifyEvents(k);
        if (kind == neAttributesChange || kind == neDriveSpaceChange)
            continue;
        if (!raise(kind))
            return false;
    }
    if (!raise(neDriveSpaceChange))
        return false;
    if (OnShellChangeNotify)
        OnShellChangeNotify(this, items.Old(), items.New(), events);
    return !self.isNull();
}

void TStCustomShellNotification::Raise(TStNotifyEvents kind, const ShellChangeRecord& change, ChangeItems& items)
{
    const auto one = [&](const TStShellItemEvent& handler) {
        if (handler)
            handler(this, items.Either());
    };
    const auto two = [&](const TStShellItemPairEvent& handler) {
        if (handler)
            handler(this, items.Old(), items.New());
    };
    switch (kind) {
    case neAssociationChange:
        if (OnAssociationChange)
            OnAssociationChange(this);
        break;
    case neAttributesChange: two(OnAttributeChange); break;
    case neFileChange: one(OnFileChange); break;
    case neFileCreate: one(OnFileCreate); break;
    case neFileDelete: two(OnFileDelete); break;
    case neFileRename: two(OnFileRename); break;
    case neDriveAdd: one(OnDriveAdd); break;
    case neDriveRemove: one(OnDriveRemove); break;
    case neShellDriveAdd: one(OnShellDriveAdd); break;
    case neDriveSpaceChange:
        if (OnDriveSpaceChange)
            OnDriveSpaceChange(this, change.driveMask);
        break;
    case neMediaInsert: one(OnMediaInsert); break;
    case neMediaRemove: one(OnMediaRemove); break;
    case neFolderCreate: one(OnFolderCreate); break;
    case neFolderDelete: one(OnFolderDelete); break;
    case neFolderRename: two(OnFolderRename); break;
    case neFolderUpdate:
        if (OnFolderChange) {
            // A change that is only a folder update names the folder itself.
            const std::optional<ItemIdList> folder = ChangedFolder(change);
            if (folder && change.first && *folder == *change.first) {
                OnFolderChange(this, items.Old());
            } else {
                const auto folderItem = folder ? std::make_unique<TStShellItem>(*folder) : nullptr;
                OnFolderChange(this, folderItem ? folderItem.get() : items.Either());
            }
        }
        break;
    case neNetShare: one(OnNetShare); break;
    case neNetUnShare: one(OnNetUnShare); break;
    case neServerDisconnect: one(OnServerDisconnect); break;
    case neImageListChange:
        if (OnImageListChange)
            OnImageListChange(this);
        break;
    }
}

} // namespace orbisk

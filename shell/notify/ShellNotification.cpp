#include "shell/notify/ShellNotification.h"

#include "platform/notify/ShellChangeRegistration.h"
#include "shell/items/ShellErrors.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>

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

std::unique_ptr<TStShellItem> ItemOf(const std::optional<ItemIdList>& list)
{
    return list ? std::make_unique<TStShellItem>(*list) : nullptr;
}

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

void TStCustomShellNotification::SetSpecialWatchFolder(TStSpecialRootFolder folder)
{
    CheckShellVersion(folder);
    if (folder == sfNone) {
        specialWatchFolder_ = sfNone;
        return;
    }
    std::optional<ItemIdList> list = SpecialRootFolderIdList(folder);
    if (!list)
        throw EStInvalidFolder();
    specialWatchFolder_ = folder;
    watchFolder_.clear();
    SetWatchIdList(std::move(list));
}

void TStCustomShellNotification::SetWatchFolder(const QString& path)
{
    if (path.isEmpty()) {
        watchFolder_.clear();
        return;
    }
    // Parsed before anything is stored, so that a path that fails leaves the
    // watcher as it was instead of naming a folder it does not watch.
    ItemIdList list = ParseFolderPath(path);
    watchFolder_ = path;
    specialWatchFolder_ = sfNone;
    SetWatchIdList(std::move(list));
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
    // The notifiers go before the descriptors they watch are closed.
    delete inotifyNotifier_;
    inotifyNotifier_ = nullptr;
    delete mountNotifier_;
    mountNotifier_ = nullptr;
    heldMoveTimer_.stop();
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
    if (!registration_)
        return;
    for (ShellChangeRecord& change : registration_->ReadChanges())
        PostChange(std::move(change));
    if (registration_->HoldsMove() && !heldMoveTimer_.isActive())
        heldMoveTimer_.start();
}

void TStCustomShellNotification::ReadAfterWait()
{
    if (!registration_)
        return;
    for (ShellChangeRecord& change : registration_->ReadAfterWait())
        PostChange(std::move(change));
    if (registration_->HoldsMove())
        heldMoveTimer_.start();
}

void TStCustomShellNotification::ReadMountTable()
{
    if (!registration_)
        return;
    for (ShellChangeRecord& change : registration_->ReadMountChanges())
        PostChange(std::move(change));
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
    return QObject::event(e);
}

void TStCustomShellNotification::HandleChange(ShellChangeRecord change)
{
    change.events &= PlatformEventsOf(notifyEvents_);
    if (change.events == 0)
        return;
    if (queueLimit_ != 0 && int(queue_.size()) >= queueLimit_) {
        NoteDropped(change);
        return;
    }
    if (change.events & ChangeAttributes) {
        QPointer<TStCustomShellNotification> self(this);
        const auto oldItem = ItemOf(change.first);
        const auto newItem = ItemOf(change.second);
        if (OnAttributeChange)
            OnAttributeChange(this, oldItem.get(), newItem.get());
        if (self && OnShellChangeNotify)
            OnShellChangeNotify(this, oldItem.get(), newItem.get(), TStNotifyEventsSet{neAttributesChange});
        if (!self)
            return;
        // Whatever else the change carries is not lost: it waits like any
        // other change.
        change.events &= ~uint32_t(ChangeAttributes);
        if (change.events == 0)
            return;
    }
    queue_.push_back(std::move(change));
    if (queue_.size() == 1)
        QCoreApplication::postEvent(this, new QEvent(QueueMessage));
}

void TStCustomShellNotification::NoteDropped(const ShellChangeRecord& change)
{
    if (!notifyEvents_.Contains(neFolderUpdate))
        return;
    const std::optional<ItemIdList> folder = ChangedFolder(change);
    if (!folder)
        return;
    if (std::find(droppedFolders_.begin(), droppedFolders_.end(), *folder) != droppedFolders_.end())
        return;
    if (int(droppedFolders_.size()) < MaxCoalescedFolders)
        droppedFolders_.push_back(*folder);
    else
        droppedBeyondLimit_ = true;
}

void TStCustomShellNotification::HandleQueue()
{
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
            QCoreApplication::postEvent(this, new QEvent(QueueMessage));
            return;
        }
    }
    std::vector<ItemIdList> dropped;
    dropped.swap(droppedFolders_);
    if (std::exchange(droppedBeyondLimit_, false))
        dropped.push_back(watchIdList_.value_or(ItemIdList()));
    for (const ItemIdList& folder : dropped)
        if (!Dispatch({folder, folder, ChangeUpdateDir, 0}))
            return;
}

bool TStCustomShellNotification::Dispatch(const ShellChangeRecord& change)
{
    QPointer<TStCustomShellNotification> self(this);
    const auto oldItem = ItemOf(change.first);
    const auto newItem = ItemOf(change.second);
    TStNotifyEventsSet events;
    const auto raise = [&](TStNotifyEvents kind) {
        if (!(change.events & PlatformEventOf(kind)))
            return true;
        events.Include(kind);
        Raise(kind, change, oldItem.get(), newItem.get());
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
        OnShellChangeNotify(this, oldItem.get(), newItem.get(), events);
    return !self.isNull();
}

void TStCustomShellNotification::Raise(TStNotifyEvents kind, const ShellChangeRecord& change, TStShellItem* oldItem,
                                       TStShellItem* newItem)
{
    TStShellItem* item = oldItem ? oldItem : newItem;
    const auto one = [&](const TStShellItemEvent& handler) {
        if (handler)
            handler(this, item);
    };
    const auto two = [&](const TStShellItemPairEvent& handler) {
        if (handler)
            handler(this, oldItem, newItem);
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
            const std::optional<ItemIdList> folder = ChangedFolder(change);
            const auto folderItem = ItemOf(folder);
            OnFolderChange(this, folderItem ? folderItem.get() : item);
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

#include "platform/notify/ShellChangeRegistration.h"

#include "platform/files/FolderPath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"

#include <sys/inotify.h>

namespace orbisk {

const uint32_t ShellChangeRegistration::InotifyMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                                      IN_ATTRIB | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF |
                                                      IN_EXCL_UNLINK;

ShellChangeRegistration::ShellChangeRegistration(std::optional<ItemIdList> watched, bool subFolders,
                                                 uint32_t events, LoadedFolders& loaded)
    : watched_(std::move(watched)), subFolders_(subFolders), events_(events), loaded_(loaded),
      table_(inotify_, InotifyMask), decoder_(table_, events)
{
    decoder_.OnFolderMoved = [this](const ItemIdList& from, const ItemIdList& to) { loaded_.Move(from, to); };
    if (!watched_ || RoleOf(*watched_) == NamespaceRole::Computer) {
        mountFile_ = std::make_unique<MountInfoFile>();
        if (mountFile_->IsOpen())
            drives_ = mountFile_->ReadDrives();
        else
            mountFile_.reset();
    }
    Watch(watched_.value_or(ItemIdList()), true);
    for (const ItemIdList& folder : loaded_.All())
        if (Covers(folder))
            Watch(folder, false);
}

bool ShellChangeRegistration::Covers(const ItemIdList& folder) const
{
    if (!watched_)
        return true;
    return subFolders_ && folder.Count() > watched_->Count() && folder.StartsWith(*watched_);
}

void ShellChangeRegistration::Watch(const ItemIdList& list, bool root)
{
    switch (RoleOf(list)) {
    case NamespaceRole::Desktop: {
        // The desktop's own entries are those of the desktop folder, unless
        // that is the home folder, which the desktop shows as one item.
        const std::string desktop = DesktopFolderPath();
        if (!desktop.empty() && desktop != HomeFolderPath() && IsDirectory(desktop))
            table_.Add(list, desktop, true, root);
        break;
    }
    case NamespaceRole::FileSystem:
        if (const std::optional<std::string> path = NativePathOf(list))
            table_.Add(list, *path, false, root);
        break;
    case NamespaceRole::Computer: // drives come from the mount table
    case NamespaceRole::Invalid:
        break;
    }
}

void ShellChangeRegistration::AddFolder(const ItemIdList& folder)
{
    if (Covers(folder))
        Watch(folder, false);
}

void ShellChangeRegistration::RemoveFolder(const ItemIdList& folder)
{
    if (Covers(folder))
        table_.RemoveLoaded(folder);
}

void ShellChangeRegistration::SetSubFolders(bool subFolders)
{
    if (subFolders == subFolders_ || !watched_) {
        subFolders_ = subFolders;
        return;
    }
    if (!subFolders) {
        for (const ItemIdList& folder : loaded_.All())
            RemoveFolder(folder);
    }
    subFolders_ = subFolders;
    if (subFolders) {
        for (const ItemIdList& folder : loaded_.All())
            AddFolder(folder);
    }
}

void ShellChangeRegistration::SetEvents(uint32_t events)
{
    events_ = events;
    decoder_.SetEvents(events);
}

std::vector<ShellChangeRecord> ShellChangeRegistration::ReadChanges()
{
    std::vector<ShellChangeRecord> out;
    decoder_.Decode(inotify_.ReadAvailable(), out);
    return out;
}

std::vector<ShellChangeRecord> ShellChangeRegistration::ReadAfterWait()
{
    std::vector<InotifyEvent> events = inotify_.ReadAvailable();
    std::vector<ShellChangeRecord> out;
    if (events.empty())
        decoder_.ReleaseHeldMoves(out);
    else
        decoder_.Decode(std::move(events), out);
    return out;
}

std::vector<ShellChangeRecord> ShellChangeRegistration::ReadMountChanges()
{
    std::vector<ShellChangeRecord> out;
    if (!mountFile_)
        return out;
    std::vector<Drive> now = mountFile_->ReadDrives();
    const DriveChanges changes = DiffDrives(drives_, now);
    drives_ = std::move(now);
    const auto hasMedia = [](const Drive& d) { return d.type == DriveRemovable || d.type == DriveCdRom; };
    const auto report = [&](const Drive& d, uint32_t events) {
        const ItemIdList item = DriveIdList(d.mountPoint);
        events &= events_;
        if (events != 0)
            out.push_back({item, item, events, 0});
    };
    for (const Drive& d : changes.removed)
        report(d, ChangeDriveRemoved | (hasMedia(d) ? ChangeMediaRemoved : 0u) | ChangeUpdateDir);
    for (const Drive& d : changes.added)
        report(d, ChangeDriveAdd | (hasMedia(d) ? ChangeMediaInserted : 0u) | ChangeUpdateDir);
    return out;
}

} // namespace orbisk

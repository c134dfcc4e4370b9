#include "platform/notify/ShellChangeRegistration.h"

#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"

#include <deque>
#include <dirent.h>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>

namespace orbisk {

namespace {

constexpr uint32_t RenameEvents = ChangeRenameItem | ChangeRenameFolder;
constexpr uint32_t DriveEvents = ChangeDriveAdd | ChangeDriveRemoved | ChangeMediaInserted | ChangeMediaRemoved;

bool IsDirectory(const std::string& path, struct stat& st)
{
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Hints for an entry that a change event names. Folders are known from the
// event; anything else may be a link to a folder, which the shell shows as a
// folder, so it is looked at (it may be gone again: then it was a file).
uint8_t HintsOfEntry(const std::string& path, bool isDir)
{
    uint8_t hints = HintTypeKnown | HintLinkKnown;
    if (isDir)
        return hints | HintFolder;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return hints;
    hints |= HintLink;
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        hints |= HintFolder;
    return hints;
}

bool IsFolderList(const ItemIdList& list)
{
    return list.IsEmpty() || (list.LastHints() & HintFolder) || !(list.LastHints() & HintTypeKnown);
}

} // namespace

ShellChangeRegistration::ShellChangeRegistration(std::optional<ItemIdList> watched, bool recursive, uint32_t events)
    : watched_(std::move(watched)), recursive_(recursive), events_(events)
{
    const bool drivesMatter = (events_ & (DriveEvents | ChangeUpdateDir)) != 0;
    if (drivesMatter && (!watched_ || RoleOf(*watched_) == NamespaceRole::Computer)) {
        mountFile_ = std::make_unique<MountInfoFile>();
        if (mountFile_->IsOpen())
            drives_ = mountFile_->ReadDrives();
        else
            mountFile_.reset();
    }
    if (watched_)
        WatchList(*watched_, true);
}

uint32_t ShellChangeRegistration::InotifyMask() const
{
    uint32_t m = IN_EXCL_UNLINK | IN_DELETE_SELF | IN_MOVE_SELF;
    if (events_ & (ChangeCreate | ChangeMkdir))
        m |= IN_CREATE | IN_MOVED_TO;
    if (events_ & (ChangeDelete | ChangeRmdir))
        m |= IN_DELETE | IN_MOVED_FROM;
    if (events_ & RenameEvents)
        m |= IN_MOVED_FROM | IN_MOVED_TO;
    if (events_ & ChangeAttributes)
        m |= IN_ATTRIB;
    if (events_ & ChangeUpdateItem)
        m |= IN_CLOSE_WRITE;
    if (events_ & ChangeUpdateDir)
        m |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE;
    // Folders that come, go or move must be seen to keep the watches in step.
    if (recursive_ || !watched_)
        m |= IN_CREATE | IN_MOVED_FROM | IN_MOVED_TO;
    return m;
}

int ShellChangeRegistration::AddWatch(const ItemIdList& list, const std::string& path, bool desktopEntries, bool root)
{
    const int wd = inotify_.AddWatch(path, InotifyMask());
    if (wd < 0) {
        if (wd == -ENOSPC)
            limitReached_ = true;
        return wd;
    }
    std::vector<Watch>& watches = byWd_[wd];
    for (Watch& w : watches) {
        if (w.list == list) {
            ++w.refs;
            w.root = w.root || root;
            return wd;
        }
    }
    watches.push_back({list, path, desktopEntries, root, 1});
    return wd;
}

// The folder and the folders below it, breadth first. Links are not followed
// and each folder (device, inode) is watched once, so the walk ends; it also
// ends at MaxRecursiveWatches or the kernel's limit.
void ShellChangeRegistration::AddTree(const ItemIdList& list, const std::string& path)
{
    std::deque<std::pair<ItemIdList, std::string>> queue{{list, path}};
    std::set<std::pair<dev_t, ino_t>> seen;
    bool first = true;
    while (!queue.empty() && WatchCount() < MaxRecursiveWatches && !limitReached_) {
        auto [l, p] = std::move(queue.front());
        queue.pop_front();
        struct stat st {};
        if (!IsDirectory(p, st) || !seen.insert({st.st_dev, st.st_ino}).second)
            continue;
        const bool root = std::exchange(first, false) && watched_ && l == *watched_;
        if (AddWatch(l, p, false, root) < 0)
            continue;
        DIR* dir = ::opendir(p.c_str());
        if (!dir)
            continue;
        while (dirent* e = ::readdir(dir)) {
            const std::string_view name = e->d_name;
            if (name == "." || name == "..")
                continue;
            const std::string child = JoinPath(p, name);
            struct stat cst {};
            const bool isDir = e->d_type == DT_DIR ||
                               (e->d_type == DT_UNKNOWN && ::lstat(child.c_str(), &cst) == 0 && S_ISDIR(cst.st_mode));
            if (isDir)
                queue.emplace_back(l.Append(IdKind::Name, name, HintFolder | HintTypeKnown | HintLinkKnown), child);
        }
        ::closedir(dir);
    }
}

void ShellChangeRegistration::WatchList(const ItemIdList& list, bool root)
{
    switch (RoleOf(list)) {
    case NamespaceRole::Desktop: {
        const std::string desktop = DesktopFolderPath();
        struct stat st {};
        if (!desktop.empty() && desktop != HomeFolderPath() && IsDirectory(desktop, st))
            AddWatch(list, desktop, true, root);
        break;
    }
    case NamespaceRole::FileSystem: {
        const std::string path = *NativePathOf(list);
        if (root && recursive_)
            AddTree(list, path);
        else
            AddWatch(list, path, false, root);
        break;
    }
    case NamespaceRole::Computer: // drives come from the mount table
    case NamespaceRole::Invalid:
        break;
    }
}

void ShellChangeRegistration::AddFolder(const ItemIdList& folder)
{
    WatchList(folder, false);
}

void ShellChangeRegistration::RemoveFolder(const ItemIdList& folder)
{
    for (auto it = byWd_.begin(); it != byWd_.end(); ++it) {
        std::vector<Watch>& watches = it->second;
        for (auto w = watches.begin(); w != watches.end(); ++w) {
            if (w->root || w->list != folder)
                continue;
            if (--w->refs == 0)
                watches.erase(w);
            if (watches.empty()) {
                inotify_.RemoveWatch(it->first);
                byWd_.erase(it);
            }
            return;
        }
    }
}

void ShellChangeRegistration::ForgetUnder(const ItemIdList& prefix)
{
    for (auto it = byWd_.begin(); it != byWd_.end();) {
        std::erase_if(it->second, [&](const Watch& w) { return !w.root && w.list.StartsWith(prefix); });
        if (it->second.empty()) {
            inotify_.RemoveWatch(it->first);
            it = byWd_.erase(it);
        } else {
            ++it;
        }
    }
}

// A watched folder (or one above watched folders) moved within what is
// watched: the watches follow it, so later events carry the new names.
void ShellChangeRegistration::Rename(const ItemIdList& from, const std::string& fromPath, const ItemIdList& to,
                                     const std::string& toPath)
{
    for (auto& [wd, watches] : byWd_) {
        for (Watch& w : watches) {
            if (!w.list.StartsWith(from) || w.path.compare(0, fromPath.size(), fromPath) != 0)
                continue;
            ItemIdList moved = to;
            const auto elements = w.list.Elements();
            for (std::size_t i = std::size_t(from.Count()); i < elements.size(); ++i)
                moved = moved.Append(elements[i].kind, elements[i].name, elements[i].hints);
            w.list = std::move(moved);
            w.path = toPath + w.path.substr(fromPath.size());
        }
    }
}

ItemIdList ShellChangeRegistration::Child(const Watch& w, const std::string& name, uint8_t hints) const
{
    if (w.desktopEntries)
        return ItemIdList::Element(IdKind::DesktopEntry, name, hints);
    return w.list.Append(IdKind::Name, name, hints);
}

void ShellChangeRegistration::Emit(std::vector<ShellChangeRecord>& out, ShellChangeRecord record) const
{
    record.events &= events_;
    if (record.events != 0)
        out.push_back(std::move(record));
}

std::vector<ShellChangeRecord> ShellChangeRegistration::ReadChanges()
{
    std::vector<InotifyEvent> events = inotify_.ReadAvailable();
    std::vector<ShellChangeRecord> out;
    Decode(events, out);
    return out;
}

// A moved-from and a moved-to event with one cookie, in the same read, are
// one rename; a half without its partner is a delete or a create. Pairs are
// matched even when renames are not asked for, so that the watches of a moved
// folder follow it.
void ShellChangeRegistration::Decode(std::vector<InotifyEvent>& events, std::vector<ShellChangeRecord>& out)
{
    std::unordered_map<uint32_t, std::size_t> movedTo;
    for (std::size_t i = 0; i < events.size(); ++i)
        if ((events[i].mask & IN_MOVED_TO) && events[i].cookie != 0)
            movedTo.emplace(events[i].cookie, i);
    std::vector<bool> used(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (used[i])
            continue;
        const InotifyEvent& e = events[i];
        if (e.mask & IN_MOVED_FROM) {
            const auto it = movedTo.find(e.cookie);
            if (it != movedTo.end() && it->second > i && !used[it->second]) {
                used[it->second] = true;
                DecodePair(e, events[it->second], out);
                continue;
            }
        }
        DecodeOne(e, out);
    }
}

void ShellChangeRegistration::DecodeOne(const InotifyEvent& e, std::vector<ShellChangeRecord>& out)
{
    if (e.mask & IN_Q_OVERFLOW) {
        DecodeOverflow(out);
        return;
    }
    const auto it = byWd_.find(e.wd);
    if (it == byWd_.end())
        return;
    if (e.mask & IN_IGNORED) { // the watch is gone: deleted, unmounted or removed
        byWd_.erase(it);
        return;
    }
    const std::vector<Watch> watches = it->second; // decoding may change the table
    if (e.name.empty())
        DecodeSelf(e, watches, out);
    else if (e.mask & (IN_CREATE | IN_MOVED_TO))
        DecodeCreated(e, watches, out);
    else if (e.mask & (IN_DELETE | IN_MOVED_FROM))
        DecodeDeleted(e, watches, out);
    else if (e.mask & IN_ATTRIB)
        for (const Watch& w : watches) {
            const ItemIdList item = Child(w, e.name, HintsOfEntry(JoinPath(w.path, e.name), e.mask & IN_ISDIR));
            Emit(out, {item, item, ChangeAttributes, 0});
        }
    else if (e.mask & IN_CLOSE_WRITE)
        for (const Watch& w : watches) {
            const ItemIdList item = Child(w, e.name, HintTypeKnown | HintLinkKnown);
            Emit(out, {item, item, ChangeUpdateItem | ChangeUpdateDir, 0});
        }
}

// Events on a watched object itself matter only for a registration's own
// folder (or file): folders watched for a tree are reported by their parents.
void ShellChangeRegistration::DecodeSelf(const InotifyEvent& e, const std::vector<Watch>& watches,
                                         std::vector<ShellChangeRecord>& out)
{
    for (const Watch& w : watches) {
        if (!w.root)
            continue;
        if (e.mask & IN_ATTRIB)
            Emit(out, {w.list, w.list, ChangeAttributes, 0});
        if (e.mask & IN_CLOSE_WRITE)
            Emit(out, {w.list, w.list, ChangeUpdateItem, 0});
        if (e.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
            Emit(out, {w.list, w.list, (IsFolderList(w.list) ? ChangeRmdir : ChangeDelete) | ChangeUpdateDir, 0});
            // A moved folder is somewhere unknown now: stop following it.
            if (e.mask & IN_MOVE_SELF)
                inotify_.RemoveWatch(e.wd);
        }
    }
}

void ShellChangeRegistration::DecodeCreated(const InotifyEvent& e, const std::vector<Watch>& watches,
                                            std::vector<ShellChangeRecord>& out)
{
    const bool isDir = (e.mask & IN_ISDIR) != 0;
    for (const Watch& w : watches) {
        const std::string path = JoinPath(w.path, e.name);
        const uint8_t hints = HintsOfEntry(path, isDir);
        const ItemIdList item = Child(w, e.name, hints);
        const bool folder = (hints & HintFolder) != 0;
        Emit(out, {item, item, (folder ? ChangeMkdir : ChangeCreate) | ChangeUpdateDir, 0});
        if (isDir && recursive_ && watched_ && w.list.StartsWith(*watched_))
            AddTree(item, path);
    }
}

void ShellChangeRegistration::DecodeDeleted(const InotifyEvent& e, const std::vector<Watch>& watches,
                                            std::vector<ShellChangeRecord>& out)
{
    const bool isDir = (e.mask & IN_ISDIR) != 0;
    const uint8_t hints = isDir ? uint8_t(HintFolder | HintTypeKnown | HintLinkKnown) : uint8_t(HintTypeKnown);
    for (const Watch& w : watches) {
        const ItemIdList item = Child(w, e.name, hints);
        Emit(out, {item, item, (isDir ? ChangeRmdir : ChangeDelete) | ChangeUpdateDir, 0});
        // A folder moved out of sight keeps its inode, and its watches would
        // go on reporting under the old name.
        if (isDir && (e.mask & IN_MOVED_FROM))
            ForgetUnder(item);
    }
}

void ShellChangeRegistration::DecodePair(const InotifyEvent& from, const InotifyEvent& to,
                                         std::vector<ShellChangeRecord>& out)
{
    const auto fromIt = byWd_.find(from.wd);
    const auto toIt = byWd_.find(to.wd);
    if (fromIt == byWd_.end() || toIt == byWd_.end() || toIt->second.empty()) {
        DecodeOne(from, out);
        DecodeOne(to, out);
        return;
    }
    const std::vector<Watch> watches = fromIt->second;
    const Watch target = toIt->second.front();
    const std::string toPath = JoinPath(target.path, to.name);
    const uint8_t hints = HintsOfEntry(toPath, to.mask & IN_ISDIR);
    const bool folder = (hints & HintFolder) != 0;
    const ItemIdList newItem = Child(target, to.name, hints);
    for (const Watch& w : watches) {
        const ItemIdList oldItem = Child(w, from.name, hints);
        if (events_ & RenameEvents) {
            Emit(out, {oldItem, newItem, (folder ? ChangeRenameFolder : ChangeRenameItem) | ChangeUpdateDir, 0});
        } else {
            Emit(out, {oldItem, oldItem, (folder ? ChangeRmdir : ChangeDelete) | ChangeUpdateDir, 0});
            Emit(out, {newItem, newItem, (folder ? ChangeMkdir : ChangeCreate) | ChangeUpdateDir, 0});
        }
        if (from.mask & IN_ISDIR)
            Rename(oldItem, JoinPath(w.path, from.name), newItem, toPath);
    }
}

// The kernel's queue overflowed and events were lost: every folder this
// registration answers for is reported as changed, so owners read it again.
void ShellChangeRegistration::DecodeOverflow(std::vector<ShellChangeRecord>& out)
{
    for (const auto& [wd, watches] : byWd_)
        for (const Watch& w : watches)
            if (w.root || !watched_)
                Emit(out, {w.list, w.list, ChangeUpdateDir, 0});
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
    for (const Drive& d : changes.removed) {
        const ItemIdList item = DriveIdList(d.mountPoint);
        Emit(out, {item, item, ChangeDriveRemoved | (hasMedia(d) ? ChangeMediaRemoved : 0u) | ChangeUpdateDir, 0});
    }
    for (const Drive& d : changes.added) {
        const ItemIdList item = DriveIdList(d.mountPoint);
        Emit(out, {item, item, ChangeDriveAdd | (hasMedia(d) ? ChangeMediaInserted : 0u) | ChangeUpdateDir, 0});
    }
    return out;
}

} // namespace orbisk

#include "platform/notify/InotifyDecoder.h"

#include "platform/files/NativePath.h"

#include <deque>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unordered_map>

namespace orbisk {

namespace {

constexpr uint32_t RenameEvents = ChangeRenameItem | ChangeRenameFolder;

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

// The kernel names one entry of the watched folder; anything else (a path,
// a dot entry) did not come from it and names nothing here.
bool IsEntryName(const std::string& name)
{
    return name.find('/') == std::string::npos && name != "." && name != "..";
}

// The item of entry `name` of a watched folder; none when it would be too
// deep to name.
std::optional<ItemIdList> Child(const WatchedFolder& f, const std::string& name, uint8_t hints)
{
    if (f.desktopEntries)
        return ItemIdList::Element(IdKind::DesktopEntry, name, hints);
    auto child = f.list.Append(IdKind::Name, name, hints);
    if (!child)
        return std::nullopt;
    return std::move(*child);
}

} // namespace

void InotifyDecoder::Emit(std::vector<ShellChangeRecord>& out, ShellChangeRecord record) const
{
    record.events &= events_;
    if (record.events != 0)
        out.push_back(std::move(record));
}

void InotifyDecoder::Emit(std::vector<ShellChangeRecord>& out, const std::optional<ItemIdList>& item,
                          uint32_t events) const
{
    if (item)
        Emit(out, {item, item, events, 0});
}

void InotifyDecoder::Decode(std::span<const char> bytes, std::vector<ShellChangeRecord>& out)
{
    Decode(ParseInotifyEvents(bytes), out);
}

// Pairs are matched even when renames are not asked for, so that the
// watches of a moved folder follow it.
void InotifyDecoder::Decode(std::vector<InotifyEvent> read, std::vector<ShellChangeRecord>& out)
{
    if (read.empty())
        return; // nothing new: a held half waits for a read that says something
    // Halves held from the last read come first and get no further chance.
    const std::size_t heldCount = held_.size();
    std::vector<InotifyEvent> events = std::move(held_);
    held_.clear();
    events.insert(events.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));

    std::size_t tail = events.size();
    while (tail > heldCount && (events[tail - 1].mask & IN_MOVED_FROM))
        --tail;
    std::unordered_map<uint32_t, std::deque<std::size_t>> movedTo;
    for (std::size_t i = 0; i < events.size(); ++i)
        if (events[i].mask & IN_MOVED_TO)
            movedTo[events[i].cookie].push_back(i);

    std::vector<bool> used(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (used[i])
            continue;
        const InotifyEvent& e = events[i];
        if (e.mask & IN_MOVED_FROM) {
            const auto it = movedTo.find(e.cookie);
            std::deque<std::size_t>* partners = it == movedTo.end() ? nullptr : &it->second;
            while (partners && !partners->empty() && (partners->front() <= i || used[partners->front()]))
                partners->pop_front();
            if (partners && !partners->empty()) {
                used[partners->front()] = true;
                DecodePair(e, events[partners->front()], out);
                partners->pop_front();
                continue;
            }
            if (i >= tail) {
                held_.push_back(e);
                continue;
            }
        }
        DecodeOne(e, out);
    }
}

void InotifyDecoder::ReleaseHeldMoves(std::vector<ShellChangeRecord>& out)
{
    std::vector<InotifyEvent> held = std::move(held_);
    held_.clear();
    for (const InotifyEvent& e : held)
        DecodeOne(e, out);
}

void InotifyDecoder::DecodeOne(const InotifyEvent& e, std::vector<ShellChangeRecord>& out)
{
    if (e.mask & IN_Q_OVERFLOW) {
        DecodeOverflow(out);
        return;
    }
    const std::vector<WatchedFolder>* found = table_.Find(e.wd);
    if (!found || (!e.name.empty() && !IsEntryName(e.name)))
        return;
    if (e.mask & IN_IGNORED) { // the watch is gone: deleted, unmounted or removed
        table_.Forget(e.wd);
        return;
    }
    const std::vector<WatchedFolder> folders = *found; // decoding may change the table
    if (e.name.empty())
        DecodeSelf(e, folders, out);
    else if (e.mask & (IN_CREATE | IN_MOVED_TO))
        DecodeCreated(e, folders, out);
    else if (e.mask & (IN_DELETE | IN_MOVED_FROM))
        DecodeDeleted(e, folders, out);
    else
        DecodeChanged(e, folders, out);
}

// Events on a watched object itself matter only for a registration's own
// folder (or file): loaded folders are reported by their parents.
void InotifyDecoder::DecodeSelf(const InotifyEvent& e, const std::vector<WatchedFolder>& folders,
                                std::vector<ShellChangeRecord>& out)
{
    for (const WatchedFolder& f : folders) {
        if (!f.root)
            continue;
        if (e.mask & IN_ATTRIB)
            Emit(out, {f.list, f.list, ChangeAttributes, 0});
        if (e.mask & IN_CLOSE_WRITE)
            Emit(out, {f.list, f.list, ChangeUpdateItem, 0});
        if (e.mask & (IN_DELETE_SELF | IN_MOVE_SELF))
            Emit(out, {f.list, f.list, (IsFolderList(f.list) ? ChangeRmdir : ChangeDelete) | ChangeUpdateDir, 0});
    }
    // A moved folder is somewhere unknown now: stop following it.
    if (e.mask & IN_MOVE_SELF)
        for (const WatchedFolder& f : folders)
            if (f.root) {
                table_.Drop(e.wd);
                break;
            }
}

void InotifyDecoder::DecodeCreated(const InotifyEvent& e, const std::vector<WatchedFolder>& folders,
                                   std::vector<ShellChangeRecord>& out)
{
    const bool isDir = (e.mask & IN_ISDIR) != 0;
    for (const WatchedFolder& f : folders) {
        const uint8_t hints = HintsOfEntry(JoinPath(f.path, e.name), isDir);
        const bool folder = (hints & HintFolder) != 0;
        Emit(out, Child(f, e.name, hints), (folder ? ChangeMkdir : ChangeCreate) | ChangeUpdateDir);
    }
}

void InotifyDecoder::DecodeDeleted(const InotifyEvent& e, const std::vector<WatchedFolder>& folders,
                                   std::vector<ShellChangeRecord>& out)
{
    const bool isDir = (e.mask & IN_ISDIR) != 0;
    const uint8_t hints = isDir ? uint8_t(HintFolder | HintTypeKnown | HintLinkKnown) : uint8_t(HintTypeKnown);
    for (const WatchedFolder& f : folders) {
        const std::optional<ItemIdList> item = Child(f, e.name, hints);
        Emit(out, item, (isDir ? ChangeRmdir : ChangeDelete) | ChangeUpdateDir);
        // A folder moved out of sight keeps its inode, and its watches would
        // go on reporting under the old name.
        if (item && isDir && (e.mask & IN_MOVED_FROM))
            table_.DropUnder(*item);
    }
}

void InotifyDecoder::DecodeChanged(const InotifyEvent& e, const std::vector<WatchedFolder>& folders,
                                   std::vector<ShellChangeRecord>& out)
{
    for (const WatchedFolder& f : folders) {
        if (e.mask & IN_ATTRIB)
            Emit(out, Child(f, e.name, HintsOfEntry(JoinPath(f.path, e.name), e.mask & IN_ISDIR)), ChangeAttributes);
        else if (e.mask & IN_CLOSE_WRITE)
            Emit(out, Child(f, e.name, HintTypeKnown | HintLinkKnown), ChangeUpdateItem | ChangeUpdateDir);
    }
}

void InotifyDecoder::DecodePair(const InotifyEvent& from, const InotifyEvent& to,
                                std::vector<ShellChangeRecord>& out)
{
    const std::vector<WatchedFolder>* fromFound = table_.Find(from.wd);
    const std::vector<WatchedFolder>* toFound = table_.Find(to.wd);
    if (!fromFound || !toFound || !IsEntryName(from.name) || !IsEntryName(to.name)) {
        // Moved in from, or out to, somewhere unwatched.
        DecodeOne(from, out);
        DecodeOne(to, out);
        return;
    }
    const std::vector<WatchedFolder> fromFolders = *fromFound;
    const std::vector<WatchedFolder> toFolders = *toFound;
    const bool withinOneFolder = from.wd == to.wd;
    const uint8_t hints = HintsOfEntry(JoinPath(toFolders.front().path, to.name), to.mask & IN_ISDIR);
    const bool folder = (hints & HintFolder) != 0;
    for (const WatchedFolder& f : fromFolders) {
        // A rename within one folder stays within each view of it.
        const WatchedFolder& target = withinOneFolder ? f : toFolders.front();
        const std::optional<ItemIdList> oldItem = Child(f, from.name, hints);
        const std::optional<ItemIdList> newItem = Child(target, to.name, hints);
        if (!oldItem || !newItem)
            continue;
        if (events_ & RenameEvents) {
            Emit(out, {oldItem, newItem, (folder ? ChangeRenameFolder : ChangeRenameItem) | ChangeUpdateDir, 0});
        } else {
            Emit(out, oldItem, (folder ? ChangeRmdir : ChangeDelete) | ChangeUpdateDir);
            Emit(out, newItem, (folder ? ChangeMkdir : ChangeCreate) | ChangeUpdateDir);
        }
        if (from.mask & IN_ISDIR) {
            table_.Move(*oldItem, JoinPath(f.path, from.name), *newItem, JoinPath(target.path, to.name));
            if (OnFolderMoved)
                OnFolderMoved(*oldItem, *newItem);
        }
    }
}

void InotifyDecoder::DecodeOverflow(std::vector<ShellChangeRecord>& out)
{
    for (const ItemIdList& list : table_.Lists())
        Emit(out, {list, list, ChangeUpdateDir, 0});
}

} // namespace orbisk

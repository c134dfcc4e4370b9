#pragma once

#include "platform/namespace/ItemIdList.h"
#include "platform/namespace/MountTable.h"
#include "platform/notify/InotifyDecoder.h"
#include "platform/notify/InotifyReader.h"
#include "platform/notify/LoadedFolders.h"
#include "platform/notify/ShellChangeEvents.h"
#include "platform/notify/WatchTable.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// One registration with the change notification service: what is watched,
// for which events, and the records of what changed. It does no waiting of
// its own: the owner watches InotifyFd() for reading and MountFd() for
// priority events, calls ReadChanges or ReadMountChanges when they fire, and
// ReleaseHeldMoves when a held rename half has waited long enough.
//
// What is watched, one kernel watch per folder and never a listing of one:
// - one folder without sub-folders: that folder;
// - one folder with sub-folders: that folder and the loaded folders below it;
// - the whole namespace: the desktop folder, every loaded folder, and the
//   mount table for drives coming and going (as does Computer).
// Loaded folders are those of a tree whose node is loaded (LoadedFolders):
// the owner hands each one over as it comes and goes (AddFolder,
// RemoveFolder), and a folder that is renamed within what is watched stays
// loaded, and watched, under its new name.
class ShellChangeRegistration {
public:
    ShellChangeRegistration(std::optional<ItemIdList> watched, bool subFolders, uint32_t events,
                            LoadedFolders& loaded);

    int InotifyFd() const { return inotify_.Fd(); }
    int MountFd() const { return mountFile_ ? mountFile_->Fd() : -1; }

    // Whether a loaded folder is watched by this registration.
    bool Covers(const ItemIdList& folder) const;
    // A loaded folder came or went: one watch is added or dropped (only for
    // a folder this registration covers).
    void AddFolder(const ItemIdList& folder);
    void RemoveFolder(const ItemIdList& folder);
    // Sub-folders on or off: the covered loaded folders are watched or not.
    void SetSubFolders(bool subFolders);
    // Which events are reported; every watch stays as it is.
    void SetEvents(uint32_t events);

    std::vector<ShellChangeRecord> ReadChanges();
    // A moved-from half is held, waiting for the read that brings its
    // partner; the owner calls ReadAfterWait after
    // InotifyDecoder::HeldMoveMilliseconds.
    bool HoldsMove() const { return decoder_.HoldsMove(); }
    // Reads again; when the kernel still has nothing, the held halves had
    // no partner and are reported as deletes.
    std::vector<ShellChangeRecord> ReadAfterWait();
    std::vector<ShellChangeRecord> ReadMountChanges();

    // The kernel's per-user watch limit stopped a watch from being added:
    // some folders go unwatched (nothing else fails).
    bool WatchLimitReached() const { return table_.LimitReached(); }
    int WatchCount() const { return table_.Count(); }
    std::vector<std::string> WatchedPaths() const { return table_.Paths(); }

    // Every watch asks the kernel for all that any event set needs, so that
    // a change of events never touches the watches.
    static const uint32_t InotifyMask;

private:
    void Watch(const ItemIdList& list, bool root);

    std::optional<ItemIdList> watched_;
    bool subFolders_;
    uint32_t events_;
    LoadedFolders& loaded_;
    InotifyReader inotify_;
    WatchTable table_;
    InotifyDecoder decoder_;
    std::unique_ptr<MountInfoFile> mountFile_;
    std::vector<Drive> drives_;
};

} // namespace orbisk

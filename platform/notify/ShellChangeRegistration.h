#pragma once

#include "platform/notify/InotifyReader.h"
#include "platform/namespace/ItemIdList.h"
#include "platform/namespace/MountTable.h"
#include "platform/notify/ShellChangeEvents.h"

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace orbisk {

// One registration with the change notification service: what is watched,
// for which events, and the decoding of what the kernel reports into change
// records. It does no waiting of its own: the owner watches InotifyFd() for
// reading and MountFd() for priority events, and calls ReadChanges or
// ReadMountChanges when they fire.
//
// A registration for one folder watches it (and, recursively, the folders
// below it, within MaxRecursiveWatches). A registration for the whole
// namespace watches the folders handed to AddFolder (the ones a tree has
// loaded) and the mount table. Computer, or the whole namespace, watches the
// mount table for drives coming and going.
class ShellChangeRegistration {
public:
    ShellChangeRegistration(std::optional<ItemIdList> watched, bool recursive, uint32_t events);

    int InotifyFd() const { return inotify_.Fd(); }
    int MountFd() const { return mountFile_ ? mountFile_->Fd() : -1; }

    // A folder to watch as well, counted: it stays watched until removed as
    // often as it was added.
    void AddFolder(const ItemIdList& folder);
    void RemoveFolder(const ItemIdList& folder);

    std::vector<ShellChangeRecord> ReadChanges();
    std::vector<ShellChangeRecord> ReadMountChanges();

    // The kernel's per-user watch limit stopped a watch from being added:
    // some folders go unwatched (nothing else fails).
    bool WatchLimitReached() const { return limitReached_; }
    int WatchCount() const { return int(byWd_.size()); }

    static constexpr int MaxRecursiveWatches = 8192;

private:
    struct Watch {
        ItemIdList list;
        std::string path;
        bool desktopEntries; // children are desktop entries (the desktop folder)
        bool root;           // the registration's own folder
        int refs;
    };

    uint32_t InotifyMask() const;
    int AddWatch(const ItemIdList& list, const std::string& path, bool desktopEntries, bool root);
    void AddTree(const ItemIdList& list, const std::string& path);
    void WatchList(const ItemIdList& list, bool root);
    void ForgetUnder(const ItemIdList& prefix);
    void Rename(const ItemIdList& from, const std::string& fromPath, const ItemIdList& to, const std::string& toPath);
    ItemIdList Child(const Watch& w, const std::string& name, uint8_t hints) const;

    void Decode(std::vector<InotifyEvent>& events, std::vector<ShellChangeRecord>& out);
    void DecodeOne(const InotifyEvent& e, std::vector<ShellChangeRecord>& out);
    void DecodeSelf(const InotifyEvent& e, const std::vector<Watch>& watches, std::vector<ShellChangeRecord>& out);
    void DecodeCreated(const InotifyEvent& e, const std::vector<Watch>& watches, std::vector<ShellChangeRecord>& out);
    void DecodeDeleted(const InotifyEvent& e, const std::vector<Watch>& watches, std::vector<ShellChangeRecord>& out);
    void DecodePair(const InotifyEvent& from, const InotifyEvent& to, std::vector<ShellChangeRecord>& out);
    void DecodeOverflow(std::vector<ShellChangeRecord>& out);
    void Emit(std::vector<ShellChangeRecord>& out, ShellChangeRecord record) const;

    std::optional<ItemIdList> watched_;
    bool recursive_;
    uint32_t events_;
    InotifyReader inotify_;
    std::unique_ptr<MountInfoFile> mountFile_;
    std::vector<Drive> drives_;
    std::unordered_map<int, std::vector<Watch>> byWd_;
    bool limitReached_ = false;
};

} // namespace orbisk

#include "platform/notify/WatchTable.h"

#include "platform/notify/LoadedFolders.h"

#include <cerrno>

namespace orbisk {

namespace {

// Whether `path` is `folder` or lies below it.
bool IsAtOrBelow(const std::string& path, const std::string& folder)
{
    if (path.compare(0, folder.size(), folder) != 0)
        return false;
    return path.size() == folder.size() || path[folder.size()] == '/' || (!folder.empty() && folder.back() == '/');
}

} // namespace

int WatchTable::Add(const ItemIdList& list, const std::string& path, bool desktopEntries, bool root)
{
    const int wd = kernel_.AddWatch(path, mask_);
    if (wd < 0) {
        if (wd == -ENOSPC)
            limitReached_ = true;
        return wd;
    }
    std::vector<WatchedFolder>& folders = byWd_[wd];
    for (WatchedFolder& f : folders) {
        if (f.list == list && f.desktopEntries == desktopEntries) {
            f.root = f.root || root;
            f.loaded = f.loaded || !root;
            return wd;
        }
    }
    folders.push_back({list, path, desktopEntries, root, !root});
    return wd;
}

void WatchTable::RemoveLoaded(const ItemIdList& list)
{
    for (auto it = byWd_.begin(); it != byWd_.end(); ++it) {
        std::vector<WatchedFolder>& folders = it->second;
        for (auto f = folders.begin(); f != folders.end(); ++f) {
            if (!f->loaded || f->list != list)
                continue;
            f->loaded = false;
            if (!f->root)
                folders.erase(f);
            if (folders.empty()) {
                kernel_.RemoveWatch(it->first);
                byWd_.erase(it);
            }
            return;
        }
    }
}

const std::vector<WatchedFolder>* WatchTable::Find(int wd) const
{
    const auto it = byWd_.find(wd);
    return it == byWd_.end() ? nullptr : &it->second;
}

void WatchTable::Forget(int wd)
{
    byWd_.erase(wd);
}

void WatchTable::Drop(int wd)
{
    if (byWd_.erase(wd) != 0)
        kernel_.RemoveWatch(wd);
}

void WatchTable::DropUnder(const ItemIdList& prefix)
{
    for (auto it = byWd_.begin(); it != byWd_.end();) {
        std::erase_if(it->second, [&](const WatchedFolder& f) { return !f.root && f.list.StartsWith(prefix); });
        if (it->second.empty()) {
            kernel_.RemoveWatch(it->first);
            it = byWd_.erase(it);
        } else {
            ++it;
        }
    }
}

void WatchTable::Move(const ItemIdList& from, const std::string& fromPath, const ItemIdList& to,
                      const std::string& toPath)
{
    for (auto it = byWd_.begin(); it != byWd_.end();) {
        std::erase_if(it->second, [&](WatchedFolder& f) {
            if (!f.list.StartsWith(from) || !IsAtOrBelow(f.path, fromPath))
                return false;
            std::optional<ItemIdList> moved = ReplacePrefix(f.list, from, to);
            if (!moved)
                return true; // too deep to name: stop watching it
            f.list = std::move(*moved);
            f.path = toPath + f.path.substr(fromPath.size());
            return false;
        });
        if (it->second.empty()) {
            kernel_.RemoveWatch(it->first);
            it = byWd_.erase(it);
        } else {
            ++it;
        }
    }
}

std::vector<ItemIdList> WatchTable::Lists() const
{
    std::vector<ItemIdList> lists;
    for (const auto& [wd, folders] : byWd_)
        for (const WatchedFolder& f : folders)
            lists.push_back(f.list);
    return lists;
}

std::vector<std::string> WatchTable::Paths() const
{
    std::vector<std::string> paths;
    for (const auto& [wd, folders] : byWd_)
        for (const WatchedFolder& f : folders)
            paths.push_back(f.path);
    return paths;
}

} // namespace orbisk

#pragma once

#include "platform/namespace/ShellFolder.h"

#include <optional>
#include <string>
#include <string_view>

namespace orbisk {

// The find data of a path, looked up relative to a directory descriptor
// (AT_FDCWD for a path on its own). "Read-only" means the user running the
// program may not write the entry: by its permission bits (the superuser may
// write anything), its immutable flag, or a file system mounted read-only.
std::optional<FindData> FindDataAt(int directoryFd, const char* path);

// The find data of many entries of one directory: each look-up starts at
// the directory instead of walking its whole path again, which matters for a
// folder of many thousands of files. The directory is held open (without
// being read) for the object's life.
class DirectoryFindData {
public:
    explicit DirectoryFindData(const std::string& path);
    ~DirectoryFindData();
    DirectoryFindData(const DirectoryFindData&) = delete;
    DirectoryFindData& operator=(const DirectoryFindData&) = delete;

    const std::string& Path() const { return path_; }
    // None when the entry cannot be looked up (or the directory could not
    // be opened).
    std::optional<FindData> Of(std::string_view name) const;

private:
    std::string path_;
    int fd_ = -1;
    bool readOnlyMount_ = false;
};

} // namespace orbisk

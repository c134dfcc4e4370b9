#pragma once

#include "platform/base/Result.h"

#include <cstdint>
#include <string>

namespace orbisk {

// What tells one version of a file from another: a file replaced, rewritten
// or made unreadable (chmod changes ctime) gets a new identity.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    int64_t ctimeNs = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// An open regular file, closed when the object goes. Opening never blocks
// and never touches special files: the path is looked at first, and only a
// regular file is opened (non-blocking, so a file swapped for a FIFO in
// between cannot hang us), then checked again through the descriptor.
class RegularFile {
public:
    static Result<RegularFile> Open(const std::string& path);
    // The identity Open would give the file at path, without opening it:
    // fails where Open fails on the look at the path (missing, a folder, a
    // special file).
    static Result<FileIdentity> Identify(const std::string& path);

    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    ~RegularFile();

    int Descriptor() const { return fd_; }
    const FileIdentity& Identity() const { return identity_; }
    uint64_t Size() const { return identity_.size; }

private:
    RegularFile(int fd, FileIdentity identity)
        : fd_(fd)
        , identity_(identity)
    {
    }
    int fd_ = -1;
    FileIdentity identity_;
};

} // namespace orbisk

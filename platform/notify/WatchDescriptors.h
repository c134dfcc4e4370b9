#pragma once

#include <cstdint>
#include <string>

namespace orbisk {

// Where kernel watches are made and removed: an inotify instance, or a
// stand-in where decoding runs without one (tests, fuzzing).
class WatchDescriptors {
public:
    virtual ~WatchDescriptors() = default;
    // The watch descriptor, or -errno (ENOSPC: the user's watch limit is used
    // up; ENOENT, EACCES, ENOTDIR: the path cannot be watched). Watching an
    // object that is already watched gives its descriptor again.
    virtual int AddWatch(const std::string& path, uint32_t mask) = 0;
    virtual void RemoveWatch(int wd) = 0;
};

} // namespace orbisk

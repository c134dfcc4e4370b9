#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orbisk {

// One inotify event as the kernel reported it.
struct InotifyEvent {
    int wd = -1;
    uint32_t mask = 0;
    uint32_t cookie = 0;
    std::string name; // empty for events on the watched object itself
};

// Splits a buffer read from an inotify descriptor into events. The buffer is
// outside data: a record that does not fit in what is left ends the list.
std::vector<InotifyEvent> ParseInotifyEvents(std::span<const char> bytes);

// An inotify instance: non-blocking, closed on exec, closed by the destructor
// (which removes all of its watches at once).
class InotifyReader {
public:
    InotifyReader();
    ~InotifyReader();
    InotifyReader(const InotifyReader&) = delete;
    InotifyReader& operator=(const InotifyReader&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }

    // The watch descriptor, or -errno (ENOSPC: the user's watch limit is used
    // up; ENOENT, EACCES, ENOTDIR: the path cannot be watched).
    int AddWatch(const std::string& path, uint32_t mask);
    void RemoveWatch(int wd);

    // Everything the kernel has queued now, in order (empty when nothing is).
    // Reading stops after MaxEventsPerRead so that one burst cannot hold the
    // caller for long; the rest is read on the next call.
    std::vector<InotifyEvent> ReadAvailable();
    static constexpr std::size_t MaxEventsPerRead = 4096;

private:
    int fd_ = -1;
};

} // namespace orbisk

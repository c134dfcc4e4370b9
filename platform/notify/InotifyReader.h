#pragma once

#include "platform/notify/InotifyEvent.h"
#include "platform/notify/WatchDescriptors.h"

#include <cstddef>

namespace orbisk {

// An inotify instance: non-blocking, closed on exec, closed by the destructor
// (which removes all of its watches at once).
class InotifyReader : public WatchDescriptors {
public:
    InotifyReader();
    ~InotifyReader() override;
    InotifyReader(const InotifyReader&) = delete;
    InotifyReader& operator=(const InotifyReader&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }

    int AddWatch(const std::string& path, uint32_t mask) override;
    void RemoveWatch(int wd) override;

    // Everything the kernel has queued now, in order (empty when nothing is).
    // Reading stops after MaxEventsPerRead so that one burst cannot hold the
    // caller for long; the rest is read on the next call. A rename's two
    // halves may therefore arrive in two reads.
    std::vector<InotifyEvent> ReadAvailable();
    static constexpr std::size_t MaxEventsPerRead = 4096;

private:
    int fd_ = -1;
};

} // namespace orbisk

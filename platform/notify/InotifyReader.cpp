#include "platform/notify/InotifyReader.h"

#include <cerrno>
#include <iterator>
#include <sys/inotify.h>
#include <unistd.h>

namespace orbisk {

InotifyReader::InotifyReader() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

InotifyReader::~InotifyReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int InotifyReader::AddWatch(const std::string& path, uint32_t mask)
{
    if (fd_ < 0)
        return -EBADF;
    const int wd = ::inotify_add_watch(fd_, path.c_str(), mask);
    return wd >= 0 ? wd : -errno;
}

void InotifyReader::RemoveWatch(int wd)
{
    if (fd_ >= 0)
        ::inotify_rm_watch(fd_, wd);
}

std::vector<InotifyEvent> InotifyReader::ReadAvailable()
{
    std::vector<InotifyEvent> all;
    if (fd_ < 0)
        return all;
    // Large enough for many events per call; aligned as the kernel expects.
    alignas(inotify_event) char buf[65536];
    while (all.size() < MaxEventsPerRead) {
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            break; // EAGAIN: nothing more queued
        }
        std::vector<InotifyEvent> batch = ParseInotifyEvents(std::span<const char>(buf, std::size_t(n)));
        all.insert(all.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
    }
    return all;
}

} // namespace orbisk

#include "Watchdog.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace orbisk::tool {

namespace {

// Read by a signal handler and by the watching thread while the process is
// ended: a fixed buffer and a flag, no allocation and no lock.
char temporaryFile[PATH_MAX];
std::atomic<bool> haveTemporaryFile { false };

[[noreturn]] void GiveUp(const char* message)
{
    if (haveTemporaryFile.load(std::memory_order_acquire))
        ::unlink(temporaryFile);
    (void)!::write(2, message, std::strlen(message));
    ::_exit(1);
}

extern "C" void OnSignal(int signal)
{
    GiveUp(signal == SIGXCPU ? "orbisk-thumbnailer: the file takes too long; given up\n"
                             : "orbisk-thumbnailer: stopped\n");
}

} // namespace

Watchdog::Watchdog(std::chrono::milliseconds limit)
{
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : { SIGXCPU, SIGTERM, SIGINT, SIGHUP })
        ::sigaction(signal, &action, nullptr);
    thread_ = std::thread([this, limit] { Watch(limit); });
}

Watchdog::~Watchdog()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stop_.notify_all();
    thread_.join();
}

void Watchdog::Watch(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex_);
    if (!stop_.wait_for(lock, limit, [this] { return stopping_; }))
        GiveUp("orbisk-thumbnailer: the file takes too long; given up\n");
}

void Watchdog::SetTemporaryFile(const std::string& path)
{
    haveTemporaryFile.store(false, std::memory_order_release);
    if (path.empty() || path.size() >= sizeof temporaryFile)
        return;
    std::memcpy(temporaryFile, path.c_str(), path.size() + 1);
    haveTemporaryFile.store(true, std::memory_order_release);
}

} // namespace orbisk::tool

#include "Watchdog.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace orbisk::tool {

namespace {

// Read by a signal handler and by the watching thread while the process is
// ended: a fixed buffer and a flag, no allocation and no lock.
char temporaryFile[PATH_MAX];
std::atomic<bool> haveTemporaryFile { false };
std::atomic<bool> held { false };

// The signals that end the process and remove the temporary file.
sigset_t EndingSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : { SIGXCPU, SIGTERM, SIGINT, SIGHUP })
        sigaddset(&set, signal);
    return set;
}

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
    // The watching thread never takes these signals: they go to the thread
    // that holds them back while it makes its temporary file (see Hold).
    const sigset_t ending = EndingSignals();
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &ending, &previous);
    thread_ = std::thread([this, limit] { Watch(limit); });
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
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
    if (stop_.wait_for(lock, limit, [this] { return stopping_; }))
        return;
    // A temporary file being made now is named within moments.
    for (int wait = 0; wait < 100 && held.load(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    GiveUp("orbisk-thumbnailer: the file takes too long; given up\n");
}

Watchdog::Hold::Hold()
{
    const sigset_t ending = EndingSignals();
    ::pthread_sigmask(SIG_BLOCK, &ending, &previous_);
    held.store(true);
}

Watchdog::Hold::~Hold()
{
    held.store(false);
    // A signal that came meanwhile is taken here, with the file named.
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
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

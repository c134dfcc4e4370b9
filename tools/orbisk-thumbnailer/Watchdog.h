#pragma once

#include <chrono>
#include <csignal>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace orbisk::tool {

// Ends the thumbnailer with status 1 when its work takes too long: after a
// limit of wall-clock time (a file on a network or FUSE mount that stops
// answering leaves a read waiting in the kernel, which no signal handler can
// end, while the file manager's whole thumbnail queue waits), at the CPU time
// limit (SIGXCPU), and on SIGTERM, SIGINT and SIGHUP. Each way out first
// removes the temporary file named with SetTemporaryFile, so none is left.
class Watchdog {
public:
    // Starts the clock and takes the signals. One at a time per process.
    explicit Watchdog(std::chrono::milliseconds limit);
    // Stops the clock; the process goes on.
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // The file to remove if the process is ended; an empty path for none.
    // A path longer than the room kept for it is not recorded.
    static void SetTemporaryFile(const std::string& path);

    // Held while a temporary file is made and named: the signals that end
    // the process wait (for the thread that makes one), and so does an
    // expired clock (for at most a second), so that no file is made after
    // the last look for one. Hold it on the watched thread only.
    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        sigset_t previous_ {};
    };

private:
    void Watch(std::chrono::milliseconds limit);

    std::mutex mutex_;
    std::condition_variable stop_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace orbisk::tool

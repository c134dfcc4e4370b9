#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

#include <sys/types.h>

namespace orbisk::test {

// A folder whose disk stops answering on demand: a scratch folder holds a
// source folder and a mount point where orbisk-gatefs mirrors it through FUSE.
// While the gate is closed, every call that reaches the mount (stat, open,
// readdir, read, write, fsync, rename ...) blocks in the kernel, the way it
// does on a stalled network mount; calls already past the gate finish. Files
// made in SourceFolder() are seen at MountPoint() and the other way round.
//
//     if (!GateFs::Available())
//         GTEST_SKIP() << GateFs::WhyUnavailable();
//     GateFs fs;
//     WriteFile(fs.SourceFolder() / "a.ico");
//     fs.Close();                       // the mount stops answering
//     StartWorkOn(fs.MountPoint());
//     ASSERT_TRUE(fs.WaitUntilWaiting(1)); // the work is stuck in the kernel
//     ...
//     fs.Open();                        // or let the destructor do it
//
// Clean-up. The destructor opens the gate, unmounts (fusermount3 -u, or
// lazily with -uz when something still uses the mount), reaps orbisk-gatefs
// and removes the scratch folder; join the threads that were blocked in the
// mount after it. When the test process dies without running it (a crash,
// a time-out's SIGKILL), orbisk-gatefs gets SIGHUP as its parent-death
// signal, opens the gate and unmounts lazily by itself, so the dying test's
// blocked threads finish and nothing hangs. The parent-death signal comes when
// the thread that made the GateFs ends: make it on the thread that runs the
// test (the test body or its fixture), never on one that ends before it.
// Only if orbisk-gatefs itself is killed is a dead mount left behind ("Transport
// endpoint is not connected"): `fusermount3 -uz <mount point>` removes it.
//
// Reads of data read earlier through a file still open may come from the page
// cache without reaching the gate; names and attributes are never cached.
// syncfs never reaches a FUSE file system, so a closed gate holds fsync but
// not syncfs.
class GateFs {
public:
    // Whether a gated file system works here: orbisk-gatefs was built (fuse3
    // was found when the build was configured), /dev/fuse opens, fusermount3
    // is on the PATH, and a trial mount comes up. Tried once per process.
    static bool Available();
    // Why not, in a sentence for a skipped test; empty when Available().
    static const std::string& WhyUnavailable();

    // Mounts, and returns once the mount answers (up to 10 s). Throws
    // std::runtime_error when it does not come up.
    GateFs();
    ~GateFs();
    GateFs(const GateFs&) = delete;
    GateFs& operator=(const GateFs&) = delete;

    const std::filesystem::path& SourceFolder() const { return source_; }
    const std::filesystem::path& MountPoint() const { return mount_; }
    // Of orbisk-gatefs: SIGUSR1 closes the gate, SIGUSR2 opens it.
    pid_t Pid() const { return pid_; }

    // Each returns once orbisk-gatefs has done it: a call made after Close()
    // returns is held. They throw std::runtime_error if orbisk-gatefs does
    // not answer.
    void Close();
    void Open();
    // The gate closes by itself once n more write requests have passed it,
    // so that a batch stops answering part-way; everything after the n-th
    // write waits. A write(2) of up to 128 KiB is one request. 0 closes now.
    void CloseAfterWrites(std::uint64_t n);

    struct Status {
        bool closed = false;
        std::size_t waiting = 0;  // requests held at the gate now
        std::uint64_t passed = 0; // requests let through since the mount
        std::uint64_t writes = 0; // of them, write requests
    };
    Status Read();
    // Waits until at least n requests are held at the gate; false when the
    // deadline passes first.
    bool WaitUntilWaiting(std::size_t n, std::chrono::milliseconds deadline = std::chrono::seconds(10));

private:
    std::string Ask(const std::string& command);
    std::string AskLocked(const std::string& command);
    void Stop() noexcept;

    std::filesystem::path scratch_;
    std::filesystem::path source_;
    std::filesystem::path mount_;
    pid_t pid_ = -1;
    int control_ = -1;
    std::mutex controlMutex_;
};

} // namespace orbisk::test

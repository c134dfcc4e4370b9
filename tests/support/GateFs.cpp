#include "tests/support/GateFs.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orbisk::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kMountDeadline = 10s;
constexpr auto kAnswerDeadline = 5s;
constexpr auto kExitDeadline = 5s;
constexpr auto kLazyExitDeadline = 200ms;

std::string Program()
{
    if (const char* path = std::getenv("ORBISK_GATEFS"); path && *path)
        return path;
#ifdef ORBISK_GATEFS_PROGRAM
    return ORBISK_GATEFS_PROGRAM;
#else
    return {};
#endif
}

std::runtime_error Failure(const std::string& what)
{
    return std::runtime_error("orbisk-gatefs: " + what);
}

std::runtime_error SystemFailure(const std::string& what)
{
    return Failure(what + ": " + std::strerror(errno));
}

bool OnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0)
            return true;
    return false;
}

// Waits for the child up to the deadline; its wait status, or nothing if it
// is still running.
bool Reap(pid_t pid, Clock::duration deadline, int& status)
{
    const auto end = Clock::now() + deadline;
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid || (r == -1 && errno != EINTR))
            return true;
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
}

// fusermount3 with the given option; true when it succeeded. A fusermount3
// that does not end in time is killed.
bool FuserMount(const char* option, const std::filesystem::path& mount)
{
    const std::string target = mount.string();
    char* argv[] = {const_cast<char*>("fusermount3"), const_cast<char*>(option), const_cast<char*>("-q"),
                    const_cast<char*>("--"), const_cast<char*>(target.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, "fusermount3", nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    if (!Reap(pid, kExitDeadline, status)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Whether something is mounted at the path, by the mount table rather than by
// a stat, which a hung mount would not answer.
bool IsMounted(const std::filesystem::path& path)
{
    std::ifstream table("/proc/self/mountinfo");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string field, point;
        for (int i = 0; i < 4; ++i)
            fields >> field;
        fields >> point;
        // Spaces and the like appear as three octal digits after a backslash.
        std::string decoded;
        for (std::size_t i = 0; i < point.size(); ++i) {
            if (point[i] == '\\' && i + 3 < point.size()) {
                decoded += char((point[i + 1] - '0') * 64 + (point[i + 2] - '0') * 8 + (point[i + 3] - '0'));
                i += 3;
            } else {
                decoded += point[i];
            }
        }
        if (decoded == path.string())
            return true;
    }
    return false;
}

dev_t DeviceOf(const std::filesystem::path& path)
{
    struct stat st{};
    return stat(path.c_str(), &st) == 0 ? st.st_dev : 0;
}

struct Availability {
    bool available = false;
    std::string why;
};

Availability Probe()
{
    const std::string program = Program();
    if (program.empty())
        return {false, "orbisk-gatefs was not built: pkg-config found no fuse3 when the build was configured"};
    if (access(program.c_str(), X_OK) != 0)
        return {false, program + " cannot be run: " + std::strerror(errno)};
    const int fd = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd == -1)
        return {false, std::string("/dev/fuse cannot be opened: ") + std::strerror(errno)};
    close(fd);
    if (!OnPath("fusermount3"))
        return {false, "fusermount3 is not on the PATH (Debian package fuse3)"};
    try {
        GateFs trial;
    } catch (const std::exception& e) {
        return {false, std::string("a trial mount failed: ") + e.what()};
    }
    return {true, {}};
}

const Availability& Probed()
{
    static const Availability result = Probe();
    return result;
}

} // namespace

bool GateFs::Available() { return Probed().available; }

const std::string& GateFs::WhyUnavailable() { return Probed().why; }

GateFs::GateFs()
{
    const std::string program = Program();
    if (program.empty())
        throw Failure("not built");

    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orbisk-gatefs-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw SystemFailure("scratch folder " + pattern);
    scratch_ = pattern;
    source_ = scratch_ / "source";
    mount_ = scratch_ / "mount";
    try {
        std::filesystem::create_directory(source_);
        std::filesystem::create_directory(mount_);

        int ends[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) == -1)
            throw SystemFailure("socketpair");
        control_ = ends[0];

        // Everything the child needs is made before fork: between fork and
        // exec only async-signal-safe calls are allowed.
        std::vector<std::string> args = {program, "--control-fd", "3", source_.string(), mount_.string()};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const pid_t parent = getpid();
        const int childEnd = ends[1];

        pid_ = fork();
        if (pid_ == 0) {
            // SIGHUP when the thread that made this object ends, by any road.
            prctl(PR_SET_PDEATHSIG, SIGHUP);
            if (getppid() != parent)
                _exit(1);
            if (childEnd == 3)
                fcntl(3, F_SETFD, 0);
            else if (dup2(childEnd, 3) == -1)
                _exit(127);
            execv(argv[0], argv.data());
            _exit(127);
        }
        const int forkErrno = errno;
        close(childEnd);
        if (pid_ == -1) {
            errno = forkErrno;
            throw SystemFailure("fork");
        }

        const dev_t before = DeviceOf(scratch_);
        const auto end = Clock::now() + kMountDeadline;
        for (dev_t now = 0; now == 0 || now == before; now = DeviceOf(mount_)) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                throw Failure("ended before the mount came up (wait status " + std::to_string(status) + ")");
            }
            if (Clock::now() >= end)
                throw Failure("the mount did not come up within 10 s");
            std::this_thread::sleep_for(5ms);
        }
    } catch (...) {
        Stop();
        throw;
    }
}

GateFs::~GateFs() { Stop(); }

void GateFs::Stop() noexcept
{
    bool lazily = false;
    if (pid_ > 0) {
        try {
            Ask("open");
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
        // A plain unmount fails while something still uses the mount (a
        // thread's open file or working folder); the lazy one detaches it
        // now and lets it go with the last user.
        if (!FuserMount("-u", mount_) && IsMounted(mount_) && FuserMount("-uz", mount_))
            lazily = true;
    }
    if (control_ != -1) {
        close(control_); // orbisk-gatefs ends when this end closes
        control_ = -1;
    }
    if (pid_ > 0) {
        // After a lazy unmount orbisk-gatefs serves the files still open
        // until they close; it is ended instead, and those files fail.
        int status = 0;
        if (!Reap(pid_, lazily ? kLazyExitDeadline : kExitDeadline, status)) {
            if (!lazily)
                std::fprintf(stderr, "orbisk-gatefs: still running after the unmount; ending it\n");
            kill(pid_, SIGTERM);
            if (!Reap(pid_, kExitDeadline, status)) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
            }
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            std::fprintf(stderr, "orbisk-gatefs: ended with wait status %d\n", status);
        pid_ = -1;
    }
    if (scratch_.empty())
        return;
    // A killed orbisk-gatefs leaves a dead mount, which only a lazy unmount
    // removes. Nothing below a mount that is still there is deleted.
    if (IsMounted(mount_))
        FuserMount("-uz", mount_);
    if (IsMounted(mount_)) {
        std::fprintf(stderr, "orbisk-gatefs: %s is still mounted; left in place\n", mount_.c_str());
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
}

std::string GateFs::Ask(const std::string& command)
{
    std::lock_guard lock(controlMutex_);
    if (control_ == -1)
        throw Failure("not running");
    try {
        return AskLocked(command);
    } catch (...) {
        // A late answer would be taken for the next one; closing ends
        // orbisk-gatefs, which opens its gate and unmounts.
        close(control_);
        control_ = -1;
        throw;
    }
}

std::string GateFs::AskLocked(const std::string& command)
{
    const std::string line = command + "\n";
    if (send(control_, line.data(), line.size(), MSG_NOSIGNAL) != ssize_t(line.size()))
        throw SystemFailure(command);
    std::string reply;
    const auto end = Clock::now() + kAnswerDeadline;
    while (reply.empty() || reply.back() != '\n') {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        pollfd fd{control_, POLLIN, 0};
        const int r = poll(&fd, 1, int(std::max<std::chrono::milliseconds::rep>(left.count(), 0)));
        if (r == -1 && errno == EINTR)
            continue;
        if (r <= 0)
            throw Failure("no answer to " + command);
        char buf[256];
        const ssize_t n = read(control_, buf, sizeof buf);
        if (n <= 0)
            throw Failure("ended while asked to " + command);
        reply.append(buf, std::size_t(n));
    }
    reply.pop_back();
    if (reply.starts_with("error"))
        throw Failure(command + ": " + reply);
    return reply;
}

void GateFs::Close() { Ask("close"); }

void GateFs::Open() { Ask("open"); }

void GateFs::CloseAfterWrites(std::uint64_t n) { Ask("close-after-writes " + std::to_string(n)); }

GateFs::Status GateFs::Read()
{
    // closed=0 waiting=2 passed=17 writes=3
    std::istringstream fields(Ask("status"));
    Status s;
    for (std::string field; fields >> field;) {
        const auto eq = field.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = field.substr(0, eq);
        const std::uint64_t value = std::strtoull(field.c_str() + eq + 1, nullptr, 10);
        if (key == "closed")
            s.closed = value != 0;
        else if (key == "waiting")
            s.waiting = std::size_t(value);
        else if (key == "passed")
            s.passed = value;
        else if (key == "writes")
            s.writes = value;
    }
    return s;
}

bool GateFs::WaitUntilWaiting(std::size_t n, std::chrono::milliseconds deadline)
{
    const auto end = Clock::now() + deadline;
    while (Read().waiting < n) {
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

} // namespace orbisk::test

// orbisk-gatefs: mirrors a source folder at a mount point through FUSE, with a
// gate that makes the mount stop answering on demand (see Gate.h).
//
//   orbisk-gatefs [--control-fd N] [--close-after-writes N] [--closed] SOURCE MOUNTPOINT
//
// It runs in the foreground, multi-threaded, until the mount point is
// unmounted (fusermount3 -u MOUNTPOINT) or it gets SIGTERM, SIGINT or SIGHUP,
// which open the gate and unmount. SIGUSR1 closes the gate, SIGUSR2 opens it;
// --closed starts it closed.
//
// With --control-fd, N is one end of a stream socket that takes commands, one
// a line, and answers each with one line:
//   close | open | close-after-writes N   -> ok
//   status                                 -> closed=0 waiting=2 passed=17 writes=3
// When the other end closes (the program that started this one ended, however
// it ended), the gate opens and the file system unmounts itself.
//
// Attributes and names are never cached by the kernel, so that a stat of a
// path seen a moment ago still reaches the gate. Data read earlier through an
// open file may still come from the page cache, and syncfs never reaches a
// FUSE file system: a closed gate holds fsync, but not syncfs.

#define FUSE_USE_VERSION 312
#include <fuse.h>

#include "Gate.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace orbisk::test {
namespace {

Gate gate;
int sourceFd = -1;
// Sent by the control thread to end the loop; no other thread blocks it.
const int wakeSignal = SIGALRM;

// Paths arrive absolute within the mount; every call goes relative to the
// source folder's descriptor.
const char* Rel(const char* path) { return path[1] == '\0' ? "." : path + 1; }

int Result(int r) { return r == -1 ? -errno : r; }

int Fd(const fuse_file_info* fi) { return int(fi->fh); }

void* Init(fuse_conn_info*, fuse_config* cfg)
{
    cfg->use_ino = 1;
    cfg->attr_timeout = 0;
    cfg->entry_timeout = 0;
    cfg->negative_timeout = 0;
    // Requests on open files go by their descriptor, so an unlinked open file
    // can go at once instead of being renamed to a hidden name in the source.
    cfg->hard_remove = 1;
    cfg->nullpath_ok = 1;
    return nullptr;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info* fi)
{
    gate.Pass(false);
    if (fi)
        return Result(fstat(Fd(fi), st));
    return Result(fstatat(sourceFd, Rel(path), st, AT_SYMLINK_NOFOLLOW));
}

int ReadLink(const char* path, char* buf, size_t size)
{
    gate.Pass(false);
    if (size == 0)
        return -EINVAL;
    const ssize_t n = readlinkat(sourceFd, Rel(path), buf, size - 1);
    if (n == -1)
        return -errno;
    buf[n] = '\0';
    return 0;
}

int OpenDir(const char* path, fuse_file_info* fi)
{
    gate.Pass(false);
    const int fd = openat(sourceFd, Rel(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd == -1)
        return -errno;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        const int e = errno;
        close(fd);
        return -e;
    }
    fi->fh = reinterpret_cast<std::uintptr_t>(dir);
    return 0;
}

int ReadDir(const char*, void* buf, fuse_fill_dir_t fill, off_t, fuse_file_info* fi, fuse_readdir_flags)
{
    gate.Pass(false);
    DIR* dir = reinterpret_cast<DIR*>(fi->fh);
    // Every entry goes in one call (offsets of 0), so each call starts over.
    rewinddir(dir);
    for (;;) {
        errno = 0; // readdir leaves it alone at the end
        const dirent* e = readdir(dir);
        if (!e)
            return -errno;
        struct stat st{};
        st.st_ino = e->d_ino;
        st.st_mode = mode_t(DTTOIF(e->d_type));
        if (fill(buf, e->d_name, &st, 0, fuse_fill_dir_flags(0)) != 0)
            return -ENOMEM;
    }
}

int ReleaseDir(const char*, fuse_file_info* fi)
{
    gate.Pass(false);
    closedir(reinterpret_cast<DIR*>(fi->fh));
    return 0;
}

int MkDir(const char* path, mode_t mode)
{
    gate.Pass(false);
    return Result(mkdirat(sourceFd, Rel(path), mode));
}

int Unlink(const char* path)
{
    gate.Pass(false);
    return Result(unlinkat(sourceFd, Rel(path), 0));
}

int RmDir(const char* path)
{
    gate.Pass(false);
    return Result(unlinkat(sourceFd, Rel(path), AT_REMOVEDIR));
}

int SymLink(const char* target, const char* path)
{
    gate.Pass(false);
    return Result(symlinkat(target, sourceFd, Rel(path)));
}

int Rename(const char* from, const char* to, unsigned int flags)
{
    gate.Pass(false);
    return Result(renameat2(sourceFd, Rel(from), sourceFd, Rel(to), flags));
}

int Link(const char* from, const char* to)
{
    gate.Pass(false);
    return Result(linkat(sourceFd, Rel(from), sourceFd, Rel(to), 0));
}

int ChMod(const char* path, mode_t mode, fuse_file_info* fi)
{
    gate.Pass(false);
    if (fi)
        return Result(fchmod(Fd(fi), mode));
    return Result(fchmodat(sourceFd, Rel(path), mode, 0));
}

int ChOwn(const char* path, uid_t uid, gid_t gid, fuse_file_info* fi)
{
    gate.Pass(false);
    if (fi)
        return Result(fchown(Fd(fi), uid, gid));
    return Result(fchownat(sourceFd, Rel(path), uid, gid, AT_SYMLINK_NOFOLLOW));
}

int Truncate(const char* path, off_t size, fuse_file_info* fi)
{
    gate.Pass(false);
    if (fi)
        return Result(ftruncate(Fd(fi), size));
    const int fd = openat(sourceFd, Rel(path), O_WRONLY | O_CLOEXEC);
    if (fd == -1)
        return -errno;
    const int r = Result(ftruncate(fd, size));
    close(fd);
    return r;
}

int UTimens(const char* path, const timespec tv[2], fuse_file_info* fi)
{
    gate.Pass(false);
    if (fi)
        return Result(futimens(Fd(fi), tv));
    return Result(utimensat(sourceFd, Rel(path), tv, AT_SYMLINK_NOFOLLOW));
}

int Create(const char* path, mode_t mode, fuse_file_info* fi)
{
    gate.Pass(false);
    const int fd = openat(sourceFd, Rel(path), fi->flags | O_CREAT | O_CLOEXEC, mode);
    if (fd == -1)
        return -errno;
    fi->fh = std::uint64_t(fd);
    return 0;
}

int Open(const char* path, fuse_file_info* fi)
{
    gate.Pass(false);
    const int fd = openat(sourceFd, Rel(path), fi->flags | O_CLOEXEC);
    if (fd == -1)
        return -errno;
    fi->fh = std::uint64_t(fd);
    return 0;
}

int Read(const char*, char* buf, size_t size, off_t offset, fuse_file_info* fi)
{
    gate.Pass(false);
    const ssize_t n = pread(Fd(fi), buf, size, offset);
    return n == -1 ? -errno : int(n);
}

int Write(const char*, const char* buf, size_t size, off_t offset, fuse_file_info* fi)
{
    gate.Pass(true);
    const ssize_t n = pwrite(Fd(fi), buf, size, offset);
    return n == -1 ? -errno : int(n);
}

int StatFs(const char*, struct statvfs* st)
{
    gate.Pass(false);
    return Result(fstatvfs(sourceFd, st));
}

// close(2) of a duplicate reports the errors a close of the file would.
int Flush(const char*, fuse_file_info* fi)
{
    gate.Pass(false);
    const int fd = dup(Fd(fi));
    if (fd == -1)
        return -errno;
    return Result(close(fd));
}

int Release(const char*, fuse_file_info* fi)
{
    gate.Pass(false);
    close(Fd(fi));
    return 0;
}

int FSync(const char*, int dataOnly, fuse_file_info* fi)
{
    gate.Pass(false);
    return Result(dataOnly ? fdatasync(Fd(fi)) : fsync(Fd(fi)));
}

fuse_operations Operations()
{
    fuse_operations ops{};
    ops.init = Init;
    ops.getattr = GetAttr;
    ops.readlink = ReadLink;
    ops.opendir = OpenDir;
    ops.readdir = ReadDir;
    ops.releasedir = ReleaseDir;
    ops.mkdir = MkDir;
    ops.unlink = Unlink;
    ops.rmdir = RmDir;
    ops.symlink = SymLink;
    ops.rename = Rename;
    ops.link = Link;
    ops.chmod = ChMod;
    ops.chown = ChOwn;
    ops.truncate = Truncate;
    ops.utimens = UTimens;
    ops.create = Create;
    ops.open = Open;
    ops.read = Read;
    ops.write = Write;
    ops.statfs = StatFs;
    ops.flush = Flush;
    ops.release = Release;
    ops.fsync = FSync;
    return ops;
}

std::string Command(const std::string& line)
{
    if (line == "close")
        gate.Close();
    else if (line == "open")
        gate.Open();
    else if (line.starts_with("close-after-writes "))
        gate.CloseAfterWrites(std::strtoull(line.c_str() + 19, nullptr, 10));
    else if (line == "status")
        return gate.Status();
    else
        return "error: unknown command";
    return "ok";
}

// The file system, for the wake-up handler.
std::atomic<fuse*> mounted{nullptr};

// Runs on whichever thread the wake-up signal lands on: it marks the loop as
// ended, and the read or wait that signal interrupts returns to the loop,
// which then sees the mark (libfuse's own signal handlers do the same).
extern "C" void OnWake(int)
{
    if (fuse* f = mounted)
        fuse_exit(f);
}

// Serves the signals and the control socket. A thread of its own, so that no
// signal handler does more than set a mark.
//
// Ending the file system (SIGTERM, SIGINT, SIGHUP, or the control socket's
// other end gone) opens the gate first: the loop waits for every request in
// hand before it returns, and one held at a closed gate would never finish.
void RunControl(int signalFd, int controlFd, int stopFd)
{
    bool ending = false;
    std::string pending;
    for (;;) {
        pollfd fds[3] = {{stopFd, POLLIN, 0}, {signalFd, POLLIN, 0}, {controlFd, POLLIN, 0}};
        // Once ending, the wake-up is sent every 100 ms until the loop has
        // returned: the first may come before the loop runs.
        const int r = poll(fds, controlFd >= 0 ? 3 : 2, ending ? 100 : -1);
        if (r == -1 && errno != EINTR) {
            std::perror("orbisk-gatefs: poll");
            return;
        }
        if (fds[0].revents)
            return;
        bool end = false;
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info{};
            if (read(signalFd, &info, sizeof info) == ssize_t(sizeof info)) {
                if (info.ssi_signo == SIGUSR1)
                    gate.Close();
                else if (info.ssi_signo == SIGUSR2)
                    gate.Open();
                else
                    end = true;
            }
        }
        if (controlFd >= 0 && fds[2].revents) {
            char buf[256];
            const ssize_t n = read(controlFd, buf, sizeof buf);
            if (n == 0 || (n == -1 && errno != EINTR && errno != EAGAIN)) {
                close(controlFd);
                controlFd = -1;
                end = true;
            } else if (n > 0) {
                pending.append(buf, std::size_t(n));
                for (std::size_t eol; (eol = pending.find('\n')) != std::string::npos;) {
                    const std::string reply = Command(pending.substr(0, eol)) + "\n";
                    pending.erase(0, eol + 1);
                    if (send(controlFd, reply.data(), reply.size(), MSG_NOSIGNAL) == -1)
                        break;
                }
            }
        }
        if (end && !ending) {
            // The requests held at the gate get a moment to answer before the
            // loop is told to end, which cuts off the answers still in hand.
            ending = true;
            gate.Open();
        } else if (ending) {
            kill(getpid(), wakeSignal);
        }
    }
}

// Whether the mount point is still in the mount table: after a lazy unmount
// it is not, and libfuse, unmounting it again, prints that it failed.
bool StillMounted(const char* point)
{
    char absolute[PATH_MAX];
    if (!realpath(point, absolute))
        return true;
    std::string field = " ";
    for (const char* c = absolute; *c; ++c)
        field += *c == ' ' ? std::string("\\040") : std::string(1, *c);
    field += " ";
    std::ifstream table("/proc/self/mountinfo");
    for (std::string line; std::getline(table, line);)
        if (line.find(field) != std::string::npos)
            return true;
    return false;
}

[[noreturn]] void Usage(const char* message)
{
    if (message)
        std::fprintf(stderr, "orbisk-gatefs: %s\n", message);
    std::fprintf(stderr, "usage: orbisk-gatefs [--control-fd N] [--close-after-writes N] [--closed] SOURCE MOUNTPOINT\n");
    std::exit(2);
}

} // namespace
} // namespace orbisk::test

#if defined(__SANITIZE_ADDRESS__)
// A libfuse worker that ends itself (an idle one, or one interrupted as the
// loop ends) removes itself from the loop's list before it frees itself, so
// at exit LeakSanitizer may find one unfreed that nothing points to. This
// program keeps nothing allocated across requests but the folder handles of
// OpenDir, which ReleaseDir frees.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfuse3.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

int main(int argc, char** argv)
{
    using namespace orbisk::test;

    int controlFd = -1;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto number = [&] {
            if (i + 1 >= argc)
                Usage((arg + " needs a number").c_str());
            return std::strtoull(argv[++i], nullptr, 10);
        };
        if (arg == "--control-fd")
            controlFd = int(number());
        else if (arg == "--close-after-writes")
            gate.CloseAfterWrites(number());
        else if (arg == "--closed")
            gate.Close();
        else if (arg == "-h" || arg == "--help")
            Usage(nullptr);
        else if (arg.starts_with("-"))
            Usage(("unknown option " + arg).c_str());
        else
            positional.push_back(arg);
    }
    if (positional.size() != 2)
        Usage("a source folder and a mount point are needed");

    sourceFd = open(positional[0].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (sourceFd == -1) {
        std::perror(("orbisk-gatefs: " + positional[0]).c_str());
        return 1;
    }
    if (controlFd >= 0)
        fcntl(controlFd, F_SETFD, FD_CLOEXEC);

    // Blocked before any thread starts, so that every thread inherits the mask
    // and these signals arrive only through the signal descriptor.
    sigset_t handled;
    sigemptyset(&handled);
    for (int sig : {SIGUSR1, SIGUSR2, SIGTERM, SIGINT, SIGHUP})
        sigaddset(&handled, sig);
    pthread_sigmask(SIG_BLOCK, &handled, nullptr);
    const int signalFd = signalfd(-1, &handled, SFD_CLOEXEC);
    const int stopFd = eventfd(0, EFD_CLOEXEC);
    if (signalFd == -1 || stopFd == -1) {
        std::perror("orbisk-gatefs");
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction wake{};
    wake.sa_handler = OnWake; // no SA_RESTART: the interrupted read must return
    sigemptyset(&wake.sa_mask);
    sigaction(wakeSignal, &wake, nullptr);

    std::vector<std::string> options = {argv[0], "-o", "fsname=orbisk-gatefs,subtype=orbisk-gatefs"};
    std::vector<char*> fuseArgv;
    for (std::string& o : options)
        fuseArgv.push_back(o.data());
    fuse_args args = FUSE_ARGS_INIT(int(fuseArgv.size()), fuseArgv.data());
    const fuse_operations ops = Operations();
    fuse* fs = fuse_new(&args, &ops, sizeof ops, nullptr);
    fuse_opt_free_args(&args);
    if (!fs)
        return 1;
    if (fuse_mount(fs, positional[1].c_str()) != 0) {
        fuse_destroy(fs);
        return 1;
    }
    mounted = fs;

    // The control thread is the only one that never takes the wake-up.
    sigset_t wakeOnly;
    sigemptyset(&wakeOnly);
    sigaddset(&wakeOnly, wakeSignal);
    pthread_sigmask(SIG_BLOCK, &wakeOnly, nullptr);
    std::thread control(RunControl, signalFd, controlFd, stopFd);
    pthread_sigmask(SIG_UNBLOCK, &wakeOnly, nullptr);

    // Requests held at a closed gate each keep a thread; enough of them that
    // a test can hold many at once and still have the mount answer the rest
    // once the gate opens.
    fuse_loop_config* loop = fuse_loop_cfg_create();
    fuse_loop_cfg_set_max_threads(loop, 64);
    const int rc = fuse_loop_mt(fs, loop);
    fuse_loop_cfg_destroy(loop);

    const std::uint64_t one = 1;
    if (write(stopFd, &one, sizeof one) != ssize_t(sizeof one))
        std::perror("orbisk-gatefs: eventfd");
    control.join();
    mounted = nullptr;
    // Lazily, so that a file still open on the mount does not keep it. Called
    // even when it is gone already: it also frees what mounting took.
    if (StillMounted(positional[1].c_str())) {
        fuse_unmount(fs);
    } else {
        const int savedStderr = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        dup2(null, STDERR_FILENO);
        fuse_unmount(fs);
        dup2(savedStderr, STDERR_FILENO);
        close(null);
        close(savedStderr);
    }
    fuse_destroy(fs);
    return rc == 0 ? 0 : 1;
}

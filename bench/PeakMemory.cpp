// peak_memory PROGRAM [ARG...]: runs PROGRAM and prints its exit status and
// its peak resident memory in KB. A benchmark runs programs through it
// because a process started straight from a benchmark counts the
// benchmark's own memory as its peak: it begins as a copy of it. This
// program is small, so what it prints is the program's.

#include <cstdio>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: peak_memory PROGRAM [ARG...]\n");
        return 2;
    }
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[1], nullptr, nullptr, argv + 1, environ) != 0)
        return 1;
    int status = 0;
    rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return 1;
    std::printf("%d %ld\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss);
    return 0;
}

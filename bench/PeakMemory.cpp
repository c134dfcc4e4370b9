// peak_memory [--quiet] PROGRAM [ARG...]: runs PROGRAM and prints its exit
// status and its peak resident memory in KB; --quiet sends PROGRAM's own
// output to /dev/null. A benchmark runs programs through it
// because a process started straight from a benchmark counts the
// benchmark's own memory as its peak: it begins as a copy of it. This
// program is small, so what it prints is the program's.

#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

int main(int argc, char* argv[])
{
    const bool quiet = argc > 1 && std::strcmp(argv[1], "--quiet") == 0;
    char** program = argv + (quiet ? 2 : 1);
    if (!*program) {
        std::fprintf(stderr, "usage: peak_memory [--quiet] PROGRAM [ARG...]\n");
        return 2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, program[0], &actions, nullptr, program, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return 1;
    int status = 0;
    rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return 1;
    std::printf("%d %ld\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss);
    return 0;
}

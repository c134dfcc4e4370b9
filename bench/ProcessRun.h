#pragma once

// Runs a program as a user runs it and measures the whole process: the wall
// time from spawning it to its exit.

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orbisk::bench {

struct ProcessRun {
    int status = -1; // the exit status; -1 when it could not start or was killed
    double ms = -1;
    double cpuMs = -1; // user and system time, less swayed by a busy machine
};

// Looks argv[0] up in PATH when it has no slash. Standard output and error go
// to /dev/null.
inline ProcessRun RunProcess(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    ProcessRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.cpuMs = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-3;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct Timing {
    double median = -1;
    double best = -1;
};

inline Timing Summarize(std::vector<double> ms)
{
    if (ms.empty())
        return {};
    std::sort(ms.begin(), ms.end());
    return { ms[ms.size() / 2], ms.front() };
}

// Where a benchmark writes the files a program makes: /dev/shm where there
// is one, so that a figure is the program's and not the disk's (a save
// waits for the disk to hold the file).
inline std::string ScratchFolder(const std::string& fallback)
{
    const char* shm = "/dev/shm";
    return ::access(shm, W_OK) == 0 ? std::string(shm) : fallback;
}

} // namespace orbisk::bench

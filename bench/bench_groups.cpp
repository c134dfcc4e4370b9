// Whole icon groups.
//   target: group access (every image's bytes, checked whole) for every icon
//           of the synthetic corpus: >= 50,000 groups per second, one thread
//   target: `orbisk-extract save-group` of a 10 MB program's last icon (the
//           most work: every group before it is numbered), the whole
//           process, warm cache: <= 10 ms. The file is written to /dev/shm
//           where there is one, so the figure is the program's and not the
//           disk's (a save waits for the disk to hold the file); the times
//           to start the program alone and to save the first icon show
//           where the time goes.
// Prints the figures; exit status 1 when a target is missed.

#include "ExtractCorpus.h"
#include "ProcessRun.h"

#include "platform/extract/IconGroup.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <ctime>
#include <string>
#include <vector>

#include <unistd.h>

using namespace orbisk;
using namespace orbisk::test;
using namespace orbisk::bench;

namespace {

constexpr double kTargetGroupsPerSecond = 50000;
constexpr double kTargetSaveMs = 10;
constexpr uint64_t kProgramBytes = 10'000'000;
constexpr int kSaveRuns = 30;

struct Pass {
    long groups = 0;
    uint64_t bytes = 0;
    double seconds = 0;
    double cpuSeconds = 0; // this thread's, for comparison on a busy machine
};

double ThreadCpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

Pass ReadAllGroups(const std::vector<std::string>& files)
{
    Pass p;
    const double cpu = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : files) {
        for (int n = 0;; ++n) {
            auto group = ReadIconGroup(path, n);
            if (!group)
                break;
            ++p.groups;
            for (const GroupImage& image : group->images)
                p.bytes += image.bytes.size();
        }
    }
    p.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    p.cpuSeconds = ThreadCpuSeconds() - cpu;
    return p;
}

// The median of kSaveRuns runs of orbisk-extract after three that warm the
// caches; -1 when a run fails.
Timing TimeTool(const std::vector<std::string>& args)
{
    std::vector<double> runs;
    for (int r = 0; r < kSaveRuns + 3; ++r) {
        const ProcessRun run = RunProcess(args);
        if (run.status != 0)
            return {};
        if (r >= 3)
            runs.push_back(run.ms);
    }
    return Summarize(runs);
}

} // namespace

int main()
{
    std::printf("building the corpus...\n");
    const Corpus corpus = MakeCorpus();
    // The best of three passes: the machine may be busy with other work.
    Pass best = ReadAllGroups(corpus.iconFiles);
    for (int pass = 1; pass < 3; ++pass) {
        const Pass again = ReadAllGroups(corpus.iconFiles);
        if (again.seconds < best.seconds)
            best = again;
    }
    const double rate = best.groups / best.seconds;

    const std::string program = corpus.dir + "/large.exe";
    const std::string out = ScratchFolder(corpus.dir) + "/orbisk-bench-group-" + std::to_string(::getpid()) + ".ico";
    const int groups = WriteLargeProgram(program, kProgramBytes);
    const uint64_t programBytes = groups > 0 ? std::filesystem::file_size(program) : 0;
    const std::string tool = ORBISK_EXTRACT;
    const Timing start = TimeTool({ tool, "--help" });
    const Timing first = TimeTool({ tool, "save-group", program, "0", out });
    const Timing last = TimeTool({ tool, "save-group", program, std::to_string(groups - 1), out });
    std::filesystem::remove(out);
    std::filesystem::remove_all(corpus.dir);

    std::printf("group access:   %ld groups, %.1f MB of images in %.3f s\n", best.groups, best.bytes / 1e6,
                best.seconds);
    std::printf("groups/s:       %.0f (target >= %.0f); %.0f per second of this thread's CPU time\n", rate,
                kTargetGroupsPerSecond, best.groups / best.cpuSeconds);
    std::printf("start alone:    orbisk-extract --help, median %.2f ms, best %.2f ms\n", start.median, start.best);
    std::printf("save-group:     %.1f MB program, %d groups, into %s\n", programBytes / 1e6, groups,
                out.substr(0, out.rfind('/')).c_str());
    std::printf("  icon #0:      median %.2f ms, best %.2f ms\n", first.median, first.best);
    std::printf("  icon #%d:    median %.2f ms, best %.2f ms (target <= %.0f)\n", groups - 1, last.median, last.best,
                kTargetSaveMs);
    const bool ok = rate >= kTargetGroupsPerSecond && last.median >= 0 && last.median <= kTargetSaveMs;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}

// orbisk-thumbnailer as a file manager runs it, the whole process, warm cache.
//   target: -s 256 on a 10 MB program: <= 10 ms (median)
//   target: -s 256 on an icon file (16, 32 and 48 pixel DIBs and a 256 pixel
//           PNG): no slower than the desktop's generic image thumbnailer,
//           gdk-pixbuf-thumbnailer, on the same file (medians of runs taken
//           in turn); skipped with a message where it is not installed
//   target: hostile and damaged files (a group naming one broken 1024-pixel
//           image 256 times, a program cut short) fail, and take at most
//           kTargetExtraMb of memory more than the icon file does
// A 1024-pixel image, the largest any file may make the thumbnailer decode,
// shows what a legitimate file may cost. Thumbnails are written to /dev/shm
// where there is one, so the figures are the program's and not the disk's.
// Prints the figures; exit status 1 when a target is missed.

#include "ExtractCorpus.h"
#include "ProcessRun.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

using namespace orbisk::test;
using namespace orbisk::bench;

namespace {

constexpr uint64_t kProgramBytes = 10'000'000;
constexpr double kTargetProgramMs = 10;
constexpr double kTargetExtraMb = 8;
constexpr int kRuns = 30;
constexpr int kWarmRuns = 3;
constexpr const char* kGeneric = "gdk-pixbuf-thumbnailer";

std::vector<std::string> Thumbnailer(const std::string& in, const std::string& out)
{
    return { ORBISK_THUMBNAILER, "-s", "256", in, out };
}

struct Times {
    Timing wall;
    Timing cpu;
};

// Each command run kWarmRuns + kRuns times, the commands in turn, so that
// a busy machine weighs on all alike. Empty timings for a command that fails.
std::vector<Times> TimeInTurn(const std::vector<std::vector<std::string>>& commands)
{
    std::vector<std::vector<double>> wall(commands.size()), cpu(commands.size());
    std::vector<bool> failed(commands.size(), false);
    for (int r = 0; r < kWarmRuns + kRuns; ++r) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            const ProcessRun run = RunProcess(commands[c]);
            failed[c] = failed[c] || run.status != 0;
            if (r >= kWarmRuns)
                wall[c].push_back(run.ms), cpu[c].push_back(run.cpuMs);
        }
    }
    std::vector<Times> times;
    for (std::size_t c = 0; c < commands.size(); ++c)
        times.push_back(failed[c] ? Times {} : Times { Summarize(wall[c]), Summarize(cpu[c]) });
    return times;
}

void PrintTimes(const char* what, const Times& t)
{
    std::printf("%s median %.2f ms, best %.2f ms; CPU time median %.2f ms\n", what, t.wall.median, t.wall.best,
                t.cpu.median);
}

bool Installed(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        if (::access((folders.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// An icon file whose 256 directory entries all name one 1024-pixel DIB cut
// off after its first rows: every entry looks best, none decodes.
Bytes BrokenImageNamedManyTimes()
{
    const Bytes one = IcoFile({ ImageSpec { .width = 1024, .height = 1024, .bits = 32 } });
    const std::size_t entries = 256, image = 6 + 16 * entries;
    Bytes file(image);
    PutU16(file, 2, 1);
    PutU16(file, 4, uint16_t(entries));
    for (std::size_t e = 0; e < entries; ++e) {
        std::copy(one.begin() + 6, one.begin() + 22, file.begin() + std::ptrdiff_t(6 + 16 * e));
        PutU32(file, 6 + 16 * e + 12, uint32_t(image));
    }
    file.insert(file.end(), one.begin() + 22, one.begin() + 22 + (one.size() - 22) / 3);
    return file;
}

// An icon file whose one image, a 1024-pixel PNG, fails the check of its
// last data chunk: found broken only once it is all but decoded.
Bytes PngBrokenAtTheEnd()
{
    Bytes png = IconImage(ImageSpec { .width = 1024, .height = 1024, .pixel = AlphaPattern(1), .png = true });
    const Bytes idat { 'I', 'D', 'A', 'T' };
    const auto last = std::find_end(png.begin(), png.end(), idat.begin(), idat.end());
    const std::size_t at = std::size_t(last - png.begin());
    const std::size_t length = std::size_t(png[at - 4]) << 24 | std::size_t(png[at - 3]) << 16
        | std::size_t(png[at - 2]) << 8 | png[at - 1];
    png[at + 4 + length] ^= 0xff; // the chunk's CRC
    ImageSpec broken { .width = 1024, .height = 1024, .png = true };
    broken.encoded = std::make_shared<Bytes>(png);
    return IcoFile({ broken });
}

struct Peak {
    int status = -1;
    long kb = 0;
};

// The exit status and peak memory of a run, through peak_memory.
Peak MeasurePeak(const std::vector<std::string>& args)
{
    std::string command = std::string("'") + ORBISK_PEAK_MEMORY + "'";
    for (const std::string& a : args)
        command += " '" + a + "'";
    Peak peak;
    FILE* out = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!out)
        return peak;
    if (std::fscanf(out, "%d %ld", &peak.status, &peak.kb) != 2)
        peak = {};
    ::pclose(out);
    return peak;
}

struct MemoryCase {
    const char* name;
    std::string path;
    bool thumbnail; // whether it has one
};

} // namespace

int main()
{
    const std::string dir = (std::filesystem::temp_directory_path()
                             / ("orbisk-bench-thumbnailer-" + std::to_string(::getpid())))
                                .string();
    std::filesystem::create_directories(dir);
    const std::string scratch = ScratchFolder(dir);
    const std::string out = scratch + "/orbisk-bench-thumbnail-" + std::to_string(::getpid()) + ".png";
    const std::string genericOut = scratch + "/orbisk-bench-generic-" + std::to_string(::getpid()) + ".png";

    const std::string program = dir + "/large.exe";
    const std::string icon = dir + "/icon.ico";
    const int groups = WriteLargeProgram(program, kProgramBytes);
    bool written = groups > 0 && WriteFile(icon, IcoFile(MakeVariants()[0]));
    const std::vector<MemoryCase> memoryCases {
        { "1024-pixel image", dir + "/huge.ico", true },
        { "broken image named 256 times", dir + "/broken.ico", false },
        { "program cut short", dir + "/cut.exe", false },
        { "1024-pixel PNG broken at its end", dir + "/badpng.ico", false },
    };
    written = written && WriteFile(memoryCases[0].path, IcoFile({ ImageSpec { .width = 1024, .height = 1024 } }));
    written = written && WriteFile(memoryCases[1].path, BrokenImageNamedManyTimes());
    const Bytes whole = PeFile(Groups(1, MakeVariants()[0]));
    written = written && WriteFile(memoryCases[2].path, Bytes(whole.begin(), whole.begin() + 700));
    written = written && WriteFile(memoryCases[3].path, PngBrokenAtTheEnd());
    if (!written) {
        std::fprintf(stderr, "cannot write the files in %s\n", dir.c_str());
        return 1;
    }

    const Times large = TimeInTurn({ Thumbnailer(program, out) })[0];
    const bool generic = Installed(kGeneric);
    std::vector<std::vector<std::string>> iconCommands { Thumbnailer(icon, out) };
    if (generic)
        iconCommands.push_back({ kGeneric, "-s", "256", icon, genericOut });
    const std::vector<Times> iconTimes = TimeInTurn(iconCommands);

    const Peak base = MeasurePeak(Thumbnailer(icon, out));
    std::vector<Peak> memory;
    for (const MemoryCase& m : memoryCases)
        memory.push_back(MeasurePeak(Thumbnailer(m.path, out)));

    std::printf("program:        %.1f MB, %d groups, thumbnails into %s\n",
                double(std::filesystem::file_size(program)) / 1e6, groups, scratch.c_str());
    PrintTimes("  orbisk-thumbnailer -s 256:", large);
    std::printf("  target: median <= %.0f ms\n", kTargetProgramMs);
    bool ok = large.wall.median >= 0 && large.wall.median <= kTargetProgramMs;
    std::printf("icon file (16, 32, 48 and 256 pixels):\n");
    PrintTimes("  orbisk-thumbnailer -s 256:", iconTimes[0]);
    if (generic) {
        PrintTimes("  gdk-pixbuf-thumbnailer -s 256:", iconTimes[1]);
        std::printf("  target: orbisk-thumbnailer's median no higher\n");
        ok = ok && iconTimes[0].wall.median >= 0 && iconTimes[1].wall.median >= 0
            && iconTimes[0].wall.median <= iconTimes[1].wall.median;
    } else {
        std::printf("  %s is not installed: comparison skipped\n", kGeneric);
        ok = ok && iconTimes[0].wall.median >= 0;
    }
    std::printf("memory:         icon file peak %.1f MB (exit status %d)\n", base.kb / 1024.0, base.status);
    ok = ok && base.status == 0;
    for (std::size_t i = 0; i < memory.size(); ++i) {
        const double extra = double(memory[i].kb - base.kb) / 1024.0;
        const bool expected = memoryCases[i].thumbnail ? memory[i].status == 0 : memory[i].status == 1;
        const bool hostile = !memoryCases[i].thumbnail;
        std::printf("  %-34s %+.1f MB, exit status %d", memoryCases[i].name, extra, memory[i].status);
        std::printf(hostile ? " (target: 1, at most %+.0f MB)\n" : "\n", kTargetExtraMb);
        ok = ok && expected && (!hostile || extra <= kTargetExtraMb);
    }
    std::filesystem::remove(out);
    std::filesystem::remove(genericOut);
    std::filesystem::remove_all(dir);
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}

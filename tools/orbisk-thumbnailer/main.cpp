// orbisk-thumbnailer -s SIZE INPUT OUTPUT: the thumbnail a file manager
// shows for a Windows program, library, icon or cursor file, written as a PNG
// file. File managers run it through orbisk.thumbnailer for every such file a
// user browses past, so it starts fast, reads little and gives up cleanly: it
// loads no Qt library at all, which would take longer than the thumbnail.

#include "InputPath.h"
#include "Watchdog.h"

#include "export/AtomicFileStream.h"
#include "export/FastPngWriter.h"
#include "export/IconThumbnail.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr const char* kUsage = "usage: orbisk-thumbnailer -s SIZE INPUT OUTPUT\n";
constexpr const char* kHelp
    = "\n"
      "Writes a thumbnail of INPUT into OUTPUT as a PNG image with alpha: the image\n"
      "of the file's first icon whose size is the smallest at or above SIZE, else\n"
      "its largest, scaled down smoothly to SIZE pixels when it is larger. INPUT is\n"
      "a path or a file:// URI. Nothing is written when the file has no icon.\n"
      "\n"
      "  -s, --size SIZE  the longest side of the thumbnail, in pixels\n"
      "\n"
      "Exit status: 0 written, 1 no thumbnail, 2 usage error.\n";

// Sizes beyond the largest image a file may hold only mean "its own size".
constexpr long kMaxSize = 65536;

// A file manager waits for the thumbnail; a file that takes seconds of work,
// or a disk that does not answer, is given up rather than left to stall
// every thumbnail after it.
constexpr rlim_t kCpuSeconds = 5;
constexpr std::chrono::seconds kWallClockLimit { 10 };

struct Args {
    int size = 0;
    std::string input;
    std::string output;
};

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "orbisk-thumbnailer: %s\n%s", message.c_str(), kUsage);
    return 2;
}

// 1 to kMaxSize, in decimal digits only; 0 for anything else.
int ParseSize(const std::string& text)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const long size = std::stol(text);
    return size >= 1 && size <= kMaxSize ? int(size) : 0;
}

// Fills `out`; returns -1 to go on, otherwise the exit status.
int ParseArgs(const std::vector<std::string>& args, Args& out)
{
    std::vector<std::string> operands;
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsDone || a.size() < 2 || a[0] != '-') {
            operands.push_back(a);
        } else if (a == "--") {
            optionsDone = true;
        } else if (a == "--help" || a == "-h") {
            std::printf("%s%s", kUsage, kHelp);
            return 0;
        } else if (a == "-s" || a == "--size") {
            if (i + 1 >= args.size())
                return UsageError("missing value for '" + a + "'");
            out.size = ParseSize(args[++i]);
            if (out.size == 0)
                return UsageError("SIZE takes 1 to " + std::to_string(kMaxSize) + " pixels, not '" + args[i] + "'");
        } else {
            return UsageError("unknown option '" + a + "'");
        }
    }
    if (out.size == 0)
        return UsageError("-s SIZE is needed");
    if (operands.size() != 2)
        return UsageError("INPUT and OUTPUT expected");
    out.input = operands[0];
    out.output = operands[1];
    return -1;
}

void LimitCpuTime()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_CPU, &limit) != 0 || (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= kCpuSeconds))
        return;
    limit.rlim_cur = kCpuSeconds;
    ::setrlimit(RLIMIT_CPU, &limit);
}

int Thumbnail(const Args& args)
{
    const auto path = orbisk::tool::InputPath(args.input);
    if (!path) {
        std::fprintf(stderr, "orbisk-thumbnailer: %s: not a local file\n", args.input.c_str());
        return 1;
    }
    const auto thumbnail = orbisk::IconThumbnail(*path, args.size);
    if (!thumbnail) {
        std::fprintf(stderr, "orbisk-thumbnailer: %s: no thumbnail (%s)\n", path->c_str(), thumbnail.error());
        return 1;
    }
    // Written in full or not at all: a file manager never finds half a
    // thumbnail, nor an empty file where there is none. A thumbnail is a
    // cache entry made again when lost, so it is not synced to disk: a file
    // manager asks for hundreds of them while the user scrolls.
    orbisk::AtomicFileStream out(args.output, orbisk::FileSync::Later);
    orbisk::tool::Watchdog::SetTemporaryFile(out.TemporaryPath());
    orbisk::WriteFastPng(out, thumbnail->argb, thumbnail->width, thumbnail->height);
    out.Commit();
    orbisk::tool::Watchdog::SetTemporaryFile({});
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    Args args;
    if (const int status = ParseArgs(std::vector<std::string>(argv + 1, argv + argc), args); status >= 0)
        return status;
    // SIGXCPU at the CPU limit is the watchdog's, too.
    const orbisk::tool::Watchdog watchdog(kWallClockLimit);
    LimitCpuTime();
    try {
        return Thumbnail(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orbisk-thumbnailer: %s\n", e.what());
        return 1;
    }
}

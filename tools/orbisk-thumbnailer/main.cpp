// orbisk-thumbnailer -s SIZE INPUT OUTPUT: the thumbnail a file manager
// shows for a Windows program, library, icon or cursor file, written as a PNG
// file. File managers run it through orbisk.thumbnailer for every such file a
// user browses past, so it starts fast, reads little and gives up cleanly: it
// loads no Qt library at all, which would take longer than the thumbnail.

#include "InputPath.h"
#include "ToolArguments.h"
#include "Watchdog.h"

#include "export/AtomicFileStream.h"
#include "export/FastPngWriter.h"
#include "export/IconThumbnail.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

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

// Fills `out`; returns -1 to go on, otherwise the exit status.
int ParseArgs(const std::vector<std::string>& args, Args& out)
{
    using namespace orbisk::tool;
    CLI::App app("Writes a thumbnail of INPUT into OUTPUT as a PNG image with alpha: the image of the file's first "
                 "icon whose size is the smallest at or above SIZE, else its largest, scaled down smoothly to SIZE "
                 "pixels when it is larger. INPUT is a path or a file:// URI. Nothing is written when the file has "
                 "no icon.",
        "orbisk-thumbnailer");
    app.add_option("-s,--size", out.size, "the longest side of the thumbnail, in pixels")
        ->required()
        ->type_name("SIZE")
        ->transform(WholeNumber(1, kMaxSize));
    app.add_option("INPUT", out.input, "the file, as a path or a file:// URI")->required();
    app.add_option("OUTPUT", out.output, "the PNG file to write")->required();
    app.footer("Exit status: 0 written, 1 no thumbnail, 2 usage error.");
    return ParseArguments(app, args);
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
    using orbisk::tool::Watchdog;
    // Gone after the file: whatever way the stream ends, its temporary file
    // is named until it is.
    struct Forget {
        ~Forget() { Watchdog::SetTemporaryFile({}); }
    } forget;
    std::optional<orbisk::AtomicFileStream> out;
    {
        const Watchdog::Hold hold;
        out.emplace(args.output, orbisk::FileSync::Later);
        Watchdog::SetTemporaryFile(out->TemporaryPath());
    }
    orbisk::WriteFastPng(*out, thumbnail->argb, thumbnail->width, thumbnail->height);
    out->Commit();
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

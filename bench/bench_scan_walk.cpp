// The folder walk against find(1) on the same tree: 100,000 files in 5,000
// folders, every file taken ("*"), the status texts flowing to a window-side
// view through the event loop as in the program. Target: the walk takes at
// most 1.5 times as long as `find DIR -type f`.

#include "ScanBenchSupport.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace orbisk;
using namespace orbisk::bench;

namespace {

constexpr int TopFolders = 50;
constexpr int SubFolders = 99; // per top folder: 50 + 50 * 99 = 5,000 folders
constexpr int FilesPerFolder = 20; // 100,000 files
constexpr int Runs = 5;
constexpr double Target = 1.5;

void MakeFiles(const std::string& folder)
{
    for (int f = 0; f < FilesPerFolder; ++f) {
        const std::string path = folder + "/file" + std::to_string(f) + (f % 4 == 0 ? ".ico" : ".dat");
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

struct WalkRun {
    double walkSeconds = 0;
    std::size_t files = 0;
    long texts = 0;
};

WalkRun Walk(const std::string& root)
{
    CountingView view;
    ScanEngine engine(view);
    engine.SetWithSub(true);
    engine.SetFileExt("*");
    const double seconds = WalkSeconds(engine, root);
    return { seconds, engine.Files().size(), view.texts };
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ScratchDir dir("walk");
    std::printf("building %d folders with %d files each in %s ...\n", TopFolders * (SubFolders + 1), FilesPerFolder,
        dir.Path().c_str());
    MakeTree(dir.Path(), TopFolders, SubFolders, MakeFiles);
    FindSeconds(dir.Path()); // both start from a warm cache
    Walk(dir.Path());

    double find = 1e9, walk = 1e9;
    WalkRun last;
    for (int r = 0; r < Runs; ++r) {
        find = std::min(find, FindSeconds(dir.Path()));
        last = Walk(dir.Path());
        walk = std::min(walk, last.walkSeconds);
    }
    const double ratio = walk / find;
    std::printf("find -type f: %.1f ms (best of %d)\n", find * 1e3, Runs);
    std::printf("walk:         %.1f ms (best of %d), %zu files, %ld status texts shown\n", walk * 1e3, Runs, last.files,
        last.texts);
    std::printf("walk / find:  %.2f (target <= %.1f) %s\n", ratio, Target, ratio <= Target ? "ok" : "MISSED");
    return ratio <= Target ? 0 : 1;
}

// Save selected icons with 10,000 marked icons, into a folder on disk, timed
// against `cp -r` of the folder it leaves, side by side in the same run: the
// batch may take at most twice as long as copying its files. The batch's time
// includes making its files durable (one sync at the end).

#include "IconBenchSupport.h"
#include "export/BatchSave.h"
#include "export/SaveColors.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/vfs.h>
#include <unistd.h>

using namespace orbisk;
namespace fs = std::filesystem;

namespace {

constexpr int iconCount = 10000;
constexpr int rounds = 3;
constexpr double maxRatio = 2.0;

struct QuietView : SaveMarkedView {
    std::size_t errors = 0;
    void SetProgressMax(std::size_t) override {}
    void StepProgress(std::size_t) override {}
    void ShowErrors(const std::string& text) override { errors += std::size_t(std::count(text.begin(), text.end(), '\n')); }
    void CloseRequest() override {}
};

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main()
{
    const fs::path root = fs::temp_directory_path() / ("orbisk-bench-batch-" + std::to_string(::getpid()));
    fs::create_directories(root);
    struct statfs st {};
    ::statfs(root.c_str(), &st);
    // tmpfs keeps everything in memory: no figure from there says anything
    // about a disk.
    const bool inMemory = st.f_type == 0x01021994;

    FolderList folders;
    TfileList files;
    TIconList icons;
    folders.emplace_back(root.string());
    files.emplace_back(FileListRec { 0, "source.dll" });
    for (int i = 0; i < iconCount; ++i)
        icons.Append(0, i, bench::GradientIcon(i));

    QuietView view;
    BatchSave batch(view);
    double bestBatch = 1e9, bestCopy = 1e9;
    bool complete = true;
    for (int round = 0; round < rounds; ++round) {
        const fs::path out = root / ("out" + std::to_string(round));
        const fs::path copy = root / ("copy" + std::to_string(round));
        icons.MarkAllIcons();
        fs::create_directories(out);
        auto start = std::chrono::steady_clock::now();
        batch.Start({ out.string(), 0, TrueColor32, 32, {}, {} }, icons, files, folders);
        complete = batch.WaitForBatch(std::chrono::minutes(5)) && complete;
        bestBatch = std::min(bestBatch, Seconds(start));

        const std::string command = "cp -r '" + out.string() + "' '" + copy.string() + "'";
        start = std::chrono::steady_clock::now();
        complete = std::system(command.c_str()) == 0 && complete;
        bestCopy = std::min(bestCopy, Seconds(start));
        complete = complete && fs::exists(out / ("icon" + std::to_string(iconCount) + ".ico"))
            && fs::exists(copy / ("icon" + std::to_string(iconCount) + ".ico"));
    }
    // Removed only now: on a disk that discards freed blocks, the next
    // round's sync would wait for the removal of this one's files.
    fs::remove_all(root);

    const double ratio = bestBatch / bestCopy;
    const bool met = complete && view.errors == 0 && ratio <= maxRatio;
    std::printf("batch save of %d icons into %s%s: %.3f s; cp -r of its folder: %.3f s; ratio %.2f (target <= %.1f)  %s\n",
                iconCount, root.c_str(), inMemory ? " (tmpfs: no disk involved)" : "", bestBatch, bestCopy, ratio,
                maxRatio, met ? "ok" : "MISSED");
    if (!complete || view.errors)
        std::printf("  %zu icons failed, or files are missing\n", view.errors);
    return met ? 0 : 1;
}

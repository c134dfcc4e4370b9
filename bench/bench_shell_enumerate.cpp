// Enumerating a folder of 10,000 files for a file list that fetches names and
// icons at once (otDisplay), against a plain readdir + stat loop over the
// same folder in the same run. Target: at most 3 times the plain loop.

#include "ShellBenchSupport.h"

#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"
#include "shell/items/ShellController.h"

#include <QCoreApplication>

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

using namespace orbisk;
using namespace orbisk::bench;

namespace {

constexpr int FileCount = 10000;
constexpr int Rounds = 7;
constexpr double TargetRatio = 3.0;

// What any program must do to list a folder with sizes and types.
long long PlainLoop(const std::string& folder)
{
    long long total = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return -1;
    while (dirent* e = ::readdir(dir)) {
        struct stat st {};
        if (::fstatat(::dirfd(dir), e->d_name, &st, 0) == 0)
            total += st.st_size + 1;
    }
    ::closedir(dir);
    return total;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    const std::string folder = QFile::encodeName(tmp.path()).toStdString();
    if (!tmp.isValid() || !MakeFiles(folder, FileCount)) {
        std::fprintf(stderr, "cannot make the test folder\n");
        return 1;
    }
    const ItemIdList list = *ParseNativePath(folder);
    TStCustomShellController controller;

    double bestPlain = 1e9, bestShell = 1e9;
    std::size_t listed = 0;
    for (int round = 0; round < Rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        if (PlainLoop(folder) < 0)
            return 1;
        bestPlain = std::min(bestPlain, MillisecondsSince(start));

        KeepingList consumer;
        start = std::chrono::steady_clock::now();
        controller.EnumerateFolder(list, consumer);
        bestShell = std::min(bestShell, MillisecondsSince(start));
        listed = consumer.items.size();
    }
    const double ratio = bestShell / bestPlain;
    std::printf("files                      %d (listed %zu)\n", FileCount, listed);
    std::printf("readdir + stat loop        %.2f ms (best of %d)\n", bestPlain, Rounds);
    std::printf("enumeration, otDisplay     %.2f ms (best of %d)\n", bestShell, Rounds);
    std::printf("ratio                      %.2f (target <= %.1f)\n", ratio, TargetRatio);
    const bool ok = listed == std::size_t(FileCount) && ratio <= TargetRatio;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}

// Memory per shell item of an enumerated folder, as a file list keeps them:
// the heap the items take, less their names (display name and file name).
// Target: at most 300 bytes per item plus its names.

#include "ShellBenchSupport.h"

#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"
#include "shell/items/ShellController.h"

#include <QCoreApplication>

#include <malloc.h>

using namespace orbisk;
using namespace orbisk::bench;

namespace {

constexpr int FileCount = 10000;
constexpr double TargetBytes = 300.0;

std::size_t HeapInUse()
{
    const struct mallinfo2 m = ::mallinfo2();
    return m.uordblks + m.hblkhd;
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
    {
        // The icon and type caches fill once per run; they are not per item.
        KeepingList warmUp;
        controller.EnumerateFolder(list, warmUp);
    }

    const std::size_t before = HeapInUse();
    KeepingList consumer;
    controller.EnumerateFolder(list, consumer);
    const std::size_t after = HeapInUse();

    std::size_t names = 0;
    for (const auto& item : consumer.items)
        names += std::size_t(item->DisplayName().size()) * sizeof(QChar) + item->RelativeIdList().LastName().size();
    const std::size_t count = consumer.items.size();
    const double total = double(after - before) / double(count);
    const double perItem = double(after - before - names) / double(count);
    std::printf("items                      %zu\n", count);
    std::printf("heap per item, all         %.1f bytes\n", total);
    std::printf("names per item             %.1f bytes\n", double(names) / double(count));
    std::printf("heap per item, less names  %.1f bytes (target <= %.0f)\n", perItem, TargetBytes);
    std::printf("item object                %zu bytes\n", sizeof(TStShellItem));
    const bool ok = count == std::size_t(FileCount) && perItem <= TargetBytes;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}

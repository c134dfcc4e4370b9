#pragma once

// Helpers shared by the shell benchmarks: a scratch folder of many files and
// a consumer that keeps what an enumeration hands it, as a file list does.

#include "shell/items/ShellConsumer.h"

#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace orbisk::bench {

inline double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The extensions of a folder a user would scan: programs, libraries, icons
// and the usual others.
inline const char* ExtensionFor(int i)
{
    static const char* const extensions[] = {".ico", ".exe", ".dll", ".cur", ".txt", ".png", ".bmp", ".icl", ".html", ""};
    return extensions[i % 10];
}

inline bool MakeFiles(const std::string& folder, int count)
{
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/file_%05d%s", i, ExtensionFor(i));
        const int fd = ::open((folder + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

class KeepingList : public TStShellConsumer {
public:
    std::vector<std::unique_ptr<TStShellItem>> items;
    TStConsumerKind ConsumerKind() const override { return TStConsumerKind::List; }
    bool ShowHidden() const override { return true; }
    TStOptimization Optimization() const override { return otDisplay; }
    void AddItem(std::unique_ptr<TStShellItem> item, const QPersistentModelIndex&, uint32_t) override
    {
        items.push_back(std::move(item));
    }
};

} // namespace orbisk::bench

// 1,000 files created by another program (a thread here) in a watched
// folder, with the queue limit the tree and the list use (5) and without a
// limit. Every created file must be reported, or covered by a folder update
// reported after it was created (the queue rule); no single step on the
// window thread (reading the kernel's events, one posted change, one pass
// over the queue) may take more than 50 ms.

#include "ShellBenchSupport.h"

#include "shell/notify/ShellNotification.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

using namespace orbisk;
using namespace orbisk::bench;

namespace {

constexpr int FileCount = 1000;
constexpr double TargetStepMs = 50.0;
using Clock = std::chrono::steady_clock;

// Times every event the window thread handles.
class TimingApplication : public QCoreApplication {
public:
    using QCoreApplication::QCoreApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        const auto start = Clock::now();
        const bool result = QCoreApplication::notify(receiver, event);
        maxStepMs = std::max(maxStepMs, MillisecondsSince(start));
        return result;
    }
    double maxStepMs = 0;
};

struct Outcome {
    int reported = 0;
    int folderUpdates = 0;
    int covered = 0;
    double maxStepMs = 0;
    double totalMs = 0;
};

Outcome Run(TimingApplication& app, int limit)
{
    QTemporaryDir tmp;
    const std::string folder = QFile::encodeName(tmp.path()).toStdString();
    TStShellNotification watcher;
    watcher.SetQueueLimit(limit);
    watcher.SetWatchFolder(tmp.path());
    watcher.SetActive(true);

    std::map<QString, Clock::time_point> reported;
    std::vector<Clock::time_point> folderUpdates;
    Clock::time_point lastReport = Clock::now();
    watcher.OnShellChangeNotify = [&](QObject*, TStShellItem* item, TStShellItem*, TStNotifyEventsSet events) {
        lastReport = Clock::now();
        if (events.Contains(neFileCreate))
            reported.emplace(item->DisplayName(), lastReport);
        else if (events == TStNotifyEventsSet{neFolderUpdate})
            folderUpdates.push_back(lastReport);
    };

    std::vector<Clock::time_point> created(FileCount);
    std::atomic<bool> done{false};
    app.maxStepMs = 0;
    const auto start = Clock::now();
    std::thread creator([&] {
        for (int i = 0; i < FileCount; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/f%04d.ico", i);
            const int fd = ::open((folder + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            created[std::size_t(i)] = Clock::now();
            if (fd >= 0)
                ::close(fd);
        }
        done = true;
    });
    // Run the window thread until the creator is done and nothing has been
    // reported for a while.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done && MillisecondsSince(lastReport) > 300)
            loop.quit();
    });
    poll.start(20);
    loop.exec();
    creator.join();

    Outcome out;
    out.totalMs = MillisecondsSince(start);
    out.maxStepMs = app.maxStepMs;
    out.reported = int(reported.size());
    out.folderUpdates = int(folderUpdates.size());
    const Clock::time_point lastUpdate =
        folderUpdates.empty() ? Clock::time_point() : *std::max_element(folderUpdates.begin(), folderUpdates.end());
    for (int i = 0; i < FileCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%04d.ico", i);
        if (reported.count(QString::fromLatin1(name)) || lastUpdate > created[std::size_t(i)])
            ++out.covered;
    }
    return out;
}

} // namespace

int main(int argc, char* argv[])
{
    TimingApplication app(argc, argv);
    bool ok = true;
    for (const int limit : {5, 0}) {
        const Outcome o = Run(app, limit);
        std::printf("queue limit %d\n", limit);
        std::printf("  files created              %d\n", FileCount);
        std::printf("  reported one by one        %d\n", o.reported);
        std::printf("  folder updates (coalesced) %d\n", o.folderUpdates);
        std::printf("  files reported or covered  %d (target %d)\n", o.covered, FileCount);
        std::printf("  longest step               %.2f ms (target <= %.0f)\n", o.maxStepMs, TargetStepMs);
        std::printf("  until quiet                %.0f ms\n", o.totalMs);
        ok = ok && o.covered == FileCount && o.maxStepMs <= TargetStepMs;
        if (limit == 0)
            ok = ok && o.reported == FileCount;
    }
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}

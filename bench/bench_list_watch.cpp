// 10,000 files created by another program (a thread here) in the folder the
// file list shows, in report view and set up as the main window sets it up.
// Targets: the list shows every file within 1 s of the last one being
// created, and the window thread is never busy for more than 50 ms at a
// stretch (every event it handles is timed). The processor time of the
// longest step is printed too: on a busy machine the wall time of a step
// also counts the time other programs had the processor.

#include "ListBenchSupport.h"
#include "ShellBenchSupport.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <thread>
#include <time.h>

using namespace orbisk;
using namespace orbisk::bench;

namespace {

constexpr int FileCount = 10'000;
constexpr double TargetCurrentMs = 1000.0;
constexpr double TargetStepMs = 50.0;
constexpr double GiveUpMs = 20'000;
using Clock = std::chrono::steady_clock;

double ThreadCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

class TimingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        const auto start = Clock::now();
        const double cpu = ThreadCpuMs();
        const bool result = QApplication::notify(receiver, event);
        const double ms = MillisecondsSince(start);
        if (ms > maxStepMs) {
            maxStepMs = ms;
            maxStepCpuMs = ThreadCpuMs() - cpu;
        }
        return result;
    }
    double maxStepMs = 0;
    double maxStepCpuMs = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    TimingApplication app(argc, argv);
    QTemporaryDir tmp;
    const std::string folder = QFile::encodeName(tmp.path()).toStdString();
    if (!tmp.isValid()) {
        std::fprintf(stderr, "cannot make the test folder\n");
        return 1;
    }
    TStShellListView list;
    ConfigureAsMainWindow(list, TViewStyle::vsReport);
    list.resize(1000, 700);
    list.show();
    list.SetRootFolder(tmp.path());
    QCoreApplication::processEvents();
    app.maxStepMs = 0;

    std::atomic<bool> done{false};
    Clock::time_point lastCreated; // written before `done`, read after it
    const auto start = Clock::now();
    std::thread creator([&] {
        for (int i = 0; i < FileCount; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/f%05d.ico", i);
            const int fd = ::open((folder + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
        }
        lastCreated = Clock::now();
        done = true;
    });

    QEventLoop loop;
    QTimer poll;
    Clock::time_point current;
    bool shown = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!done)
            return;
        if (list.Model()->rowCount() == FileCount && !list.RefreshPending()) {
            current = Clock::now();
            shown = true;
            loop.quit();
        } else if (MillisecondsSince(lastCreated) > GiveUpMs) {
            loop.quit();
        }
    });
    poll.start(5);
    loop.exec();
    creator.join();

    const double currentMs = shown ? std::chrono::duration<double, std::milli>(current - lastCreated).count() : -1;
    const bool ok = shown && currentMs <= TargetCurrentMs && app.maxStepMs <= TargetStepMs;
    std::printf("files created                %d in %.0f ms\n", FileCount,
                std::chrono::duration<double, std::milli>(lastCreated - start).count());
    std::printf("rows shown                   %d\n", list.Model()->rowCount());
    std::printf("current after the last file  %.0f ms (target <= %.0f)\n", currentMs, TargetCurrentMs);
    std::printf("longest step                 %.1f ms (target <= %.0f), of it processor time %.1f ms\n",
                app.maxStepMs, TargetStepMs, app.maxStepCpuMs);
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}

// The icon grid on a screen of pixel ratio 2, with 10,000 icons whose groups
// hold a 32-pixel and a 64-pixel image.
// Target: the icons held, 32-pixel handles and the sharp icons made while
// the whole grid is scrolled through page by page, take at most 20 KB per
// icon. Also printed: the scan's time at ratio 1 and 2 (window shown and
// painting while it scans) and the resident memory after the scroll.
//
// Each ratio runs in a process of its own, since Qt reads the ratio once.

#include "WindowBenchSupport.h"
#include "core/ScanEngine.h"
#include "core/SharpIconCache.h"
#include "fixtures/Fixtures.h"
#include "ProcessRun.h"
#include "ui/DrawGrid.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace orbisk;

namespace {

constexpr int Files = 10;
constexpr int GroupsPerFile = 1000;
constexpr std::size_t TargetBytesPerIcon = 20 * 1024;
constexpr QSize View(1280, 800);

using Clock = std::chrono::steady_clock;

struct Figures {
    std::size_t icons = 0;
    std::size_t heldBytes = 0; // entries, their handles and the sharp icons
    std::size_t sharpIcons = 0;
    double scanMs = 0;
    long rssKb = 0;
};

long ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

std::size_t HandleBytes(HICON icon)
{
    return icon ? sizeof(IconData) + icon->color.size() * sizeof(uint32_t) + icon->mask.size() : 0;
}

void MakeFiles(const std::string& dir)
{
    const test::ImageSpec small { .bits = 4 };
    const test::ImageSpec large { .width = 64, .height = 64, .png = true };
    for (int f = 0; f < Files; ++f)
        test::WriteFile(dir + "/lib" + std::to_string(f) + ".dll", test::PeFile(test::Groups(GroupsPerFile, { small, large })));
}

// Scrolls the grid page by page, letting the sharp icons of each page be made.
void ScrollThrough(TMainFrm& frm)
{
    TDrawGrid& grid = *frm.DrawGrid1();
    QScrollBar& rows = *grid.verticalScrollBar();
    for (int value = 0;; value += rows.pageStep()) {
        rows.setValue(std::min(value, rows.maximum()));
        grid.viewport()->repaint();
        if (SharpIconCache* sharp = frm.Grid().SharpIcons()) {
            QElapsedTimer wait;
            wait.start();
            while (!sharp->Idle() && wait.elapsed() < 10000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QCoreApplication::processEvents();
        if (value >= rows.maximum())
            break;
    }
}

Figures Measure(const std::string& dir)
{
    QTemporaryDir settings;
    auto* frm = new TMainFrm(SettingsLocation { settings.path().toStdString(), settings.path().toStdString() });
    frm->resize(View + QSize(200, 300));
    bench::ShowAndWaitExposed(*frm);

    Figures out;
    const auto start = Clock::now();
    frm->BeginScan(dir, false);
    while (!frm->Engine()->WaitForScan(std::chrono::milliseconds(2)))
        QCoreApplication::processEvents();
    out.scanMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    ScrollThrough(*frm);
    const TIconList& icons = frm->Engine()->Icons();
    out.icons = icons.size();
    for (std::size_t i = 0; i < icons.size(); ++i)
        out.heldBytes += sizeof(IconEntry) + HandleBytes(icons[i].Handle);
    if (const SharpIconCache* sharp = frm->Grid().SharpIcons()) {
        out.heldBytes += sharp->HeldBytes();
        out.sharpIcons = sharp->HeldCount();
    }
    out.rssKb = ResidentKb();
    delete frm; // without closing: no settings are written
    return out;
}

int Child(int argc, char** argv, const std::string& ratio, const std::string& dir)
{
    ::setenv("QT_SCALE_FACTOR", ratio.c_str(), 1);
    QApplication app(argc, argv);
    const Figures f = Measure(dir);
    std::ofstream(dir + "/figures-" + ratio) << f.icons << ' ' << f.heldBytes << ' ' << f.sharpIcons << ' '
                                             << f.scanMs << ' ' << f.rssKb << '\n';
    return 0;
}

bool RunRatio(const std::string& self, const std::string& dir, const std::string& ratio, Figures& f)
{
    const bench::ProcessRun run = bench::RunProcess({ self, "--ratio", ratio, dir });
    std::ifstream in(dir + "/figures-" + ratio);
    return run.status == 0 && (in >> f.icons >> f.heldBytes >> f.sharpIcons >> f.scanMs >> f.rssKb);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--ratio")
        return Child(1, argv, argv[2], argv[3]);

    QTemporaryDir dir;
    MakeFiles(dir.path().toStdString());
    const std::string self = "/proc/self/exe";
    Figures one, two;
    if (!RunRatio(self, dir.path().toStdString(), "1", one) || !RunRatio(self, dir.path().toStdString(), "2", two)) {
        std::printf("a measuring run failed\n");
        return 1;
    }
    const double perIcon = two.icons ? double(two.heldBytes) / double(two.icons) : 0;
    const bool ok = two.icons == std::size_t(Files * GroupsPerFile) && two.sharpIcons > 0
        && perIcon <= double(TargetBytesPerIcon);
    std::printf("icons: %zu; sharp icons held after scrolling through: %zu at ratio 2, %zu at ratio 1\n", two.icons,
        two.sharpIcons, one.sharpIcons);
    std::printf("memory held per icon: %.0f bytes at ratio 1, %.0f bytes at ratio 2 (target <= %zu) %s\n",
        one.icons ? double(one.heldBytes) / double(one.icons) : 0.0, perIcon, TargetBytesPerIcon,
        ok ? "ok" : "MISSED");
    std::printf("resident memory after the scroll: %ld KB at ratio 1, %ld KB at ratio 2\n", one.rssKb, two.rssKb);
    std::printf("scan of %d files, window painting: %.0f ms at ratio 1, %.0f ms at ratio 2\n", Files, one.scanMs,
        two.scanMs);
    return ok ? 0 : 1;
}

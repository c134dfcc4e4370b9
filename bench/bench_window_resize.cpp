// The main window resized as by dragging its corner: 100 steps from 713 x 400
// to 1313 x 800 and back, with 2,000 icons in the grid. Each step is the
// resize and every layout it sets off: the toolbar's spacers, the panes, the
// grid's arrangement. Target: at most 4 ms a step (the median; the slowest
// step is printed too). The paint of the whole window that follows is
// printed beside it.

#include "WindowBenchSupport.h"
#include "core/ScanEngine.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace orbisk;

namespace {

constexpr int Steps = 100;
constexpr int IconCount = 2'000;
constexpr QSize Start(TMainFrm::DesignedWidth, TMainFrm::DesignedHeight);
constexpr QSize Step(12, 8); // out for the first half, back for the second
constexpr double TargetMs = 4.0;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(double(v.size()) * p))];
}

HICON MakeIcon(int i)
{
    IconData d;
    d.width = d.height = 32;
    d.color.assign(32 * 32, 0xff000000u | uint32_t(i * 2654435761u & 0xffffff));
    d.mask.assign(std::size_t(IconData::MaskStride(32)) * 32, 0);
    return CreateIcon(std::move(d));
}

// The layouts a resize set off and left for later (the toolbar's, after its
// spacers changed width). The resize itself lays the panes out at once.
void LayOut()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir settings;
    auto* frm = new TMainFrm(SettingsLocation { settings.path().toStdString(), settings.path().toStdString() });
    bench::ShowAndWaitExposed(*frm);
    for (int i = 0; i < IconCount; ++i)
        frm->Engine()->Icons().Append(0, i, MakeIcon(i));
    frm->Grid().ArrangeGrid();
    QCoreApplication::processEvents();

    std::vector<double> layout, painted;
    QWidget* about = frm->findChild<QWidget*>(QStringLiteral("AboutTb"));
    bool followed = true;
    for (int i = 0; i < Steps; ++i) {
        const int out = i < Steps / 2 ? i + 1 : Steps - i - 1;
        const QSize size = Start + Step * out;
        const auto start = Clock::now();
        frm->resize(size);
        LayOut();
        layout.push_back(Ms(Clock::now() - start));
        frm->repaint();
        painted.push_back(Ms(Clock::now() - start));
        QCoreApplication::processEvents(); // what the window system sent meanwhile
        // The about button keeps to the toolbar's right end at every step.
        followed = followed && frm->size() == size
            && about->mapTo(frm, QPoint(about->width(), 0)).x() == frm->width() - 1;
    }

    const double median = Percentile(layout, 0.5);
    const bool ok = followed && median <= TargetMs;
    std::printf("window resize, %d steps from %d x %d to %d x %d and back, %d icons\n", Steps, Start.width(),
        Start.height(), (Start + Step * (Steps / 2)).width(), (Start + Step * (Steps / 2)).height(), IconCount);
    std::printf("layout per step: median %.3f ms, 90%% %.3f ms, slowest %.3f ms (target: median <= %.0f ms) %s\n",
        median, Percentile(layout, 0.9), Percentile(layout, 1.0), TargetMs, ok ? "ok" : "MISSED");
    std::printf("layout and paint per step: median %.3f ms, slowest %.3f ms\n", Percentile(painted, 0.5),
        Percentile(painted, 1.0));
    if (!followed)
        std::printf("the toolbar did not follow the window at every step: MISSED\n");
    delete frm; // without closing: no settings are written
    return ok ? 0 : 1;
}

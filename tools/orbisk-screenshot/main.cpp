// orbisk-screenshot [--from-screen] [--palette dark|high-contrast] OUTPUT.png
//
// Renders the main window as a user sees it after a scan: a folder of
// generated programs, libraries, icon libraries, icon, cursor and bitmap files
// is scanned, a few icons are marked, a block of cells is selected, and the
// window is written as a PNG. It runs without a display
// (QT_QPA_PLATFORM=offscreen) and touches no settings of the user: the window
// reads and writes its settings in a scratch folder.
//
// With --from-screen the picture is read back from the display server instead
// of rendered by the window (run it under an X server, e.g. xvfb-run), which
// shows what really reached the screen. With --palette the whole program
// runs under the dark Fusion or the high-contrast palette the grid is checked
// under (ui/GridContrast.h).

#include "core/ScanEngine.h"
#include "fixtures/Fixtures.h"
#include "ui/DrawGrid.h"
#include "ui/GridContrast.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>

#include <cmath>
#include <cstdio>

using namespace orbisk;
using namespace orbisk::test;

namespace {

enum class Shape { Disc, Ring, Diamond, Tile, Drop };

// A drawing of `size` pixels with soft edges: `shape` in a colour of `hue`,
// shaded from the top left, transparent around it.
PixelFn Drawing(Shape shape, int hue, int size)
{
    return [=](int x, int y) -> uint32_t {
        const double s = size;
        const double u = (x + 0.5) / s * 2 - 1; // -1 ... 1 across
        const double v = (y + 0.5) / s * 2 - 1;
        const double r = std::hypot(u, v);
        double inside = 0; // distance inside the edge, in pixels
        switch (shape) {
        case Shape::Disc: inside = (0.9 - r) * s / 2; break;
        case Shape::Ring: inside = (0.25 - std::abs(r - 0.62)) * s / 2; break;
        case Shape::Diamond: inside = (0.92 - std::abs(u) - std::abs(v)) * s / 2.8; break;
        case Shape::Tile: inside = (0.85 - std::max(std::abs(u), std::abs(v))) * s / 2; break;
        case Shape::Drop: inside = (0.8 - std::hypot(u, (v - 0.15) * 1.1) - std::max(0.0, -v - 0.2) * 0.6) * s / 2; break;
        }
        const int alpha = int(std::clamp(inside + 0.5, 0.0, 1.0) * 255);
        const double light = std::clamp(0.95 - 0.35 * (u + v + 1) / 2 + (r < 0.3 ? 0.1 : 0), 0.3, 1.0);
        const QColor c = QColor::fromHsvF((hue % 360) / 360.0, 0.75, light);
        return uint32_t(alpha) << 24 | uint32_t(c.red()) << 16 | uint32_t(c.green()) << 8 | uint32_t(c.blue());
    };
}

ImageSpec Image(Shape shape, int hue, int size = 32, int bits = 32)
{
    return ImageSpec { .width = size, .height = size, .bits = bits, .pixel = Drawing(shape, hue, size) };
}

std::vector<GroupSpec> Library(int groups, int firstHue, int bits)
{
    std::vector<GroupSpec> out;
    for (int g = 0; g < groups; ++g) {
        const auto shape = Shape(g % 5);
        const int hue = firstHue + g * 37;
        out.push_back({ { Image(shape, hue, 16, bits), Image(shape, hue, 32, bits), Image(shape, hue, 48, bits) } });
    }
    return out;
}

bool BuildIconFolder(const QString& folder)
{
    const std::string dir = folder.toStdString();
    bool ok = QDir().mkpath(folder);
    ok = ok && WriteFile(dir + "/Viewer.exe", PeFile(Library(12, 0, 32)));
    ok = ok && WriteFile(dir + "/shell64.dll", PeFile(Library(9, 200, 32), PeKind::Pe32Plus));
    ok = ok && WriteFile(dir + "/Classic.icl", NeFile(Library(8, 120, 8)));
    ok = ok && WriteFile(dir + "/Old16.exe", NeFile(Library(3, 300, 4)));
    for (int i = 0; i < 4; ++i) {
        const auto shape = Shape((i + 2) % 5);
        ok = ok && WriteFile(dir + "/badge" + std::to_string(i) + ".ico",
                       IcoFile({ Image(shape, 15 + 90 * i, 48), Image(shape, 15 + 90 * i, 32, 8) }));
    }
    ok = ok && WriteFile(dir + "/pointer.cur", CurFile({ Image(Shape::Diamond, 50, 32, 4) }, 3, 3));
    ok = ok && WriteFile(dir + "/mono.ico", IcoFile({ ImageSpec { .bits = 1 } }));
    ok = ok && WriteFile(dir + "/photo.bmp", BmpFile(ImageSpec { .width = 40, .height = 30, .bits = 24, .pixel = Pattern(7) }));
    ok = ok && WriteFile(dir + "/readme.txt", { 'n', 'o', ' ', 'i', 'c', 'o', 'n', 's' });
    return ok;
}

// Serves the event loop until done() or the time runs out.
template <typename Done>
bool ServeUntil(Done done, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void MarkSome(TMainFrm& frm)
{
    TIconList& icons = frm.Engine()->Icons();
    for (std::size_t i : { 1, 4, 5, 17, 30 })
        icons.MarkIcon(i);
    TDrawGrid& grid = *frm.DrawGrid1();
    // The block a drag from cell (2, 1) to (4, 2) leaves, its first cell current.
    grid.FocusCell(4, 2);
    grid.FocusCell(2, 1, true);
    frm.Grid().MarkRange(10, 1, 11, 2);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orbisk 1.2"));
    bool fromScreen = false;
    QByteArray palette;
    int arg = 1;
    for (; arg < argc - 1; ++arg) {
        if (QByteArray(argv[arg]) == "--from-screen")
            fromScreen = true;
        else if (QByteArray(argv[arg]) == "--palette" && arg + 2 < argc)
            palette = argv[++arg];
        else
            break;
    }
    if (arg != argc - 1 || !(palette.isEmpty() || palette == "dark" || palette == "high-contrast")) {
        std::fprintf(stderr, "usage: orbisk-screenshot [--from-screen] [--palette dark|high-contrast] OUTPUT.png\n");
        return 2;
    }
    if (!palette.isEmpty())
        QApplication::setPalette(palette == "dark" ? DarkFusionPalette() : HighContrastPalette());
    const QString output = QString::fromLocal8Bit(argv[argc - 1]);
    QTemporaryDir work;
    const QString icons = work.path() + QStringLiteral("/Icons");
    if (!work.isValid() || !BuildIconFolder(icons)) {
        std::fprintf(stderr, "orbisk-screenshot: cannot write the icon folder in %s\n", qPrintable(work.path()));
        return 1;
    }

    auto* frm = new TMainFrm(SettingsLocation { work.path().toStdString(), (work.path() + "/config").toStdString() });
    frm->Settings().FileExt = ".ICO,.CUR,.EXE,.DLL,.ICL,.BMP,";
    frm->show();
    frm->activateWindow();
    frm->DrawGrid1()->setFocus();
    const bool shown = ServeUntil([&] { return frm->windowHandle() && frm->windowHandle()->isExposed(); }, 5000);
    frm->BeginScan(icons.toStdString());
    const bool scanned = shown && frm->Engine()->WaitForScan(std::chrono::seconds(30));
    if (scanned)
        MarkSome(*frm);
    ServeUntil([] { return false; }, 200); // let the last paints happen
    const QPixmap shot = fromScreen ? frm->screen()->grabWindow(frm->winId()) : frm->grab();
    const bool saved = scanned && shot.save(output, "PNG");
    std::printf("%s: %zu icons; window written to %s\n", saved ? "ok" : "failed", frm->Engine()->Icons().size(),
        qPrintable(output));
    delete frm; // without closing: nothing is written to any settings file
    return saved ? 0 : 1;
}

// The grid on a screen of pixel ratio 2: icons whose group holds a larger
// image are drawn from it, device pixel for device pixel, while the grid's
// layout stays that of a ratio-1 screen.

#include "core/ScanEngine.h"
#include "core/SharpIconCache.h"
#include "fixtures/Fixtures.h"
#include "ui/DrawGrid.h"
#include "ui/GridContrast.h"
#include "ui/MainForm.h"
#include "widgets/MessageBox.h"

#include <QDir>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>
#include <memory>

using namespace orbisk;

namespace {

constexpr uint32_t Black = 0xff000000u;
constexpr uint32_t White = 0xffffffffu;

uint32_t Checker(int x, int y) { return (x + y) % 2 ? White : Black; }

// The screen pixel at device (x, y) of an opaque image, as 0xAARRGGBB.
uint32_t At(const QImage& shot, int x, int y) { return shot.pixel(x, y); }

} // namespace

class SharpIconGridTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QPointer<TMainFrm> frm_;
    TDrawGrid* grid_ = nullptr;

    // A folder of icon files: a.ico holds a grey 32-pixel image and a
    // 64-pixel checkerboard of single pixels; b.ico only a 32-pixel
    // checkerboard; c.ico a red 16-pixel image and a 256-pixel one, black on
    // the left half and white on the right.
    void ScanFolder()
    {
        const std::string folder = dir_->filePath("icons").toStdString();
        QDir().mkpath(QString::fromStdString(folder));
        const test::ImageSpec grey { .pixel = [](int, int) { return 0xff808080u; } };
        test::WriteFile(folder + "/a.ico", test::IcoFile({ grey, { .width = 64, .height = 64, .pixel = Checker } }));
        test::WriteFile(folder + "/b.ico", test::IcoFile({ { .pixel = Checker } }));
        const auto halves = [](int x, int) { return x < 128 ? Black : White; };
        test::WriteFile(folder + "/c.ico",
            test::IcoFile({ { .width = 16, .height = 16, .pixel = [](int, int) { return 0xffff0000u; } },
                { .width = 256, .height = 256, .pixel = halves, .png = true } }));
        frm_->BeginScan(folder, false);
        QVERIFY(frm_->Engine()->WaitForScan(std::chrono::seconds(20)));
        QCOMPARE(frm_->Engine()->Icons().size(), std::size_t(3));
    }

    // Paints until the icons the grid asked for are made and drawn.
    QImage SettledShot()
    {
        grid_->viewport()->repaint();
        if (frm_->Grid().SharpIcons() && !QTest::qWaitFor([this] { return frm_->Grid().SharpIcons()->Idle(); }, 5000))
            qWarning("sharp icons still being made");
        QTest::qWait(50); // the queued repaint
        return grid_->viewport()->grab().toImage();
    }

    // The device pixel of the top-left corner of the icon of the named file
    // (the folder's files come in the order the folder lists them).
    QPoint IconOrigin(const char* file) const
    {
        const ScanEngine& engine = *frm_->Engine();
        for (std::size_t i = 0; i < engine.Icons().size(); ++i) {
            if (engine.IconName(i).find(file) != std::string::npos)
                return (grid_->CellRect(int(i), 0).topLeft() + QPoint(2, 2)) * 2;
        }
        return {};
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        SetMessageBoxHook([](const MessageRequest&) { });
        frm_ = new TMainFrm(SettingsLocation { dir_->path().toStdString(), dir_->filePath("config").toStdString() });
        grid_ = frm_->DrawGrid1();
        frm_->show();
        QVERIFY(QTest::qWaitForWindowExposed(frm_));
    }
    void cleanup()
    {
        delete frm_.data();
        SetMessageBoxHook({});
    }

    void drawsLargerImagesPixelForPixel()
    {
        ScanFolder();
        const QImage shot = SettledShot();
        QCOMPARE(shot.devicePixelRatio(), 2.0);

        // a.ico: the 64-pixel checkerboard, every device pixel its own.
        const QPoint a = IconOrigin("/a.ico");
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                QCOMPARE(At(shot, a.x() + x, a.y() + y), Checker(x, y));
        // b.ico has nothing larger: its 32-pixel checkerboard is enlarged as
        // before, so neighbouring device pixels pair up.
        const QPoint b = IconOrigin("/b.ico");
        QCOMPARE(At(shot, b.x() + 10, b.y() + 10), At(shot, b.x() + 11, b.y() + 10));
        QVERIFY(At(shot, b.x() + 11, b.y() + 10) != At(shot, b.x() + 12, b.y() + 10));
        // c.ico: the 256-pixel image scaled down to 64 pixels, its edge one
        // device pixel wide.
        const QPoint c = IconOrigin("/c.ico");
        QCOMPARE(At(shot, c.x() + 31, c.y() + 40), Black);
        QCOMPARE(At(shot, c.x() + 32, c.y() + 40), White);
    }

    // Cells, grid lines and the selection frame sit where they sit at ratio
    // 1, in logical pixels: twice as many device pixels, never more cells.
    void keepsTheLogicalLayout()
    {
        ScanFolder();
        QCOMPARE(grid_->CellRect(1, 0), QRect(37, 0, 36, 36));
        const QImage shot = SettledShot();
        QCOMPARE(shot.size(), grid_->viewport()->size() * 2);
        const uint32_t line = GridLineColor(grid_->palette()).rgba();
        QCOMPARE(At(shot, 72, 20), line);
        QCOMPARE(At(shot, 73, 20), line);
        QVERIFY(At(shot, 71, 20) != line);
        int col = -1, row = -1;
        QVERIFY(grid_->MouseToCell(QPoint(40, 10), col, row));
        QCOMPARE(col, 1);
    }
};

int main(int argc, char** argv)
{
    // Before the application exists: Qt reads the ratio once.
    ::setenv("QT_SCALE_FACTOR", "2", 1);
    QApplication app(argc, argv);
    SharpIconGridTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SharpIconGridTest.moc"

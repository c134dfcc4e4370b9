// Dragging marked icons out of the grid: what the drag's data gives a drop
// target, the cap on the icons one drag carries, and how a press that may
// become a drag shares the left button with block marking.

#include "SaveTestSupport.h"

#include "fixtures/ExpectedImage.h"
#include "fixtures/Fixtures.h"
#include "platform/extract/IconGroup.h"
#include "ui/DrawGrid.h"
#include "ui/GridDrag.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>

#include <set>

using namespace orbisk;
using namespace orbisk::test;

namespace {

const ImageSpec kLibraryLargest { .width = 256, .height = 256, .pixel = AlphaPattern(1), .png = true };
const ImageSpec kProgramLargest { .width = 64, .height = 64, .pixel = AlphaPattern(2) };

std::vector<Bytes> ImageBytes(const IconGroup& group)
{
    std::vector<Bytes> images;
    for (const GroupImage& image : group.images)
        images.push_back(image.bytes);
    return images;
}

} // namespace

class GridDragTest : public QObject {
    Q_OBJECT

    WindowFixture w_;
    QTemporaryDir runtime_;
    std::unique_ptr<QMimeData> dragged_;
    int drags_ = 0;

    // Scans a folder of the files given, marks every icon and takes the
    // drags.
    bool ScanAndMarkAll(const std::vector<std::pair<std::string, Bytes>>& files, std::size_t count)
    {
        const std::string folder = w_.Path("icons");
        QDir().mkpath(QString::fromStdString(folder));
        for (const auto& [name, bytes] : files) {
            if (!WriteFile(folder + "/" + name, bytes))
                return false;
        }
        w_.frm->BeginScan(folder);
        if (!w_.frm->Engine()->WaitForScan(std::chrono::seconds(20)) || w_.Icons().size() != count)
            return false;
        w_.Icons().MarkAllIcons();
        w_.frm->Grid().Drag()->SetDragStarter(
            [this](std::unique_ptr<QMimeData> data, const QPixmap&) { dragged_ = std::move(data), ++drags_; });
        return true;
    }
    void DragFirstCell()
    {
        QWidget* viewport = w_.frm->DrawGrid1()->viewport();
        const QPoint from = w_.frm->DrawGrid1()->CellRect(0, 0).center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        QTest::mouseMove(viewport, from + QPoint(QApplication::startDragDistance() + 1, 0));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(QApplication::startDragDistance() + 1, 0));
    }

private slots:
    void initTestCase()
    {
        // The drags' folders go to a folder of the test's own.
        QVERIFY(runtime_.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
    }
    void init()
    {
        w_.Init();
        dragged_.reset();
        drags_ = 0;
    }
    // The run's folder goes with the window (the job of a drag still
    // writing lets it go when it ends).
    void cleanup()
    {
        dragged_.reset();
        w_.Cleanup();
        QTRY_VERIFY(QDir(runtime_.path()).isEmpty());
    }

    // A library and a program of the same name: four icons whose proposed
    // names clash, one of them with a name the library's third icon has.
    void dropGivesEveryGroupAsAnIconFileAndTheFirstLargestAsPng()
    {
        const ImageSpec small { .width = 16, .height = 16, .bits = 4 };
        const ImageSpec medium { .width = 48, .height = 48 };
        QVERIFY(ScanAndMarkAll({ { "lib.dll", PeFile({ GroupSpec { .images = { small, kLibraryLargest, medium } },
                                                       GroupSpec { .images = { medium } },
                                                       GroupSpec { .images = { small } } }) },
                                 { "lib.exe", PeFile({ GroupSpec { .images = { small, kProgramLargest } } }) } },
                               4));
        DragFirstCell();
        QCOMPARE(drags_, 1);
        QVERIFY(dragged_ && dragged_->hasUrls() && dragged_->hasFormat(QStringLiteral("image/png")));
        // No block: the press made the first cell current, and marks stay.
        QCOMPARE(w_.frm->DrawGrid1()->Selection(), (TGridRect { 0, 0, 0, 0 }));
        QCOMPARE(w_.Icons().CountMarkedIcons(), std::size_t(4));

        QTRY_COMPARE(dragged_->urls().size(), 4);
        const QList<QUrl> urls = dragged_->urls();
        std::set<QString> names;
        for (int i = 0; i < urls.size(); ++i) {
            QVERIFY(urls[i].isLocalFile());
            names.insert(QFileInfo(urls[i].toLocalFile()).fileName());
            // The icons' order: each file holds its icon's whole group.
            const IconEntry& entry = w_.Icons()[std::size_t(i)];
            const std::string path = w_.frm->Engine()->FilePath(std::size_t(entry.FileIndex));
            const auto source = ReadIconGroup(path, entry.IconIndex);
            const auto written = ReadIconGroup(urls[i].toLocalFile().toStdString(), 0);
            QVERIFY(source && written);
            QCOMPARE(written->kind, GroupKind::Icon);
            QVERIFY(ImageBytes(*written) == ImageBytes(*source));
        }
        QCOMPARE(names, (std::set<QString> { "lib.ico", "lib-1.ico", "lib-2.ico", "lib-3.ico" }));

        QImage png;
        QVERIFY(png.loadFromData(dragged_->data(QStringLiteral("image/png")), "PNG"));
        const bool libraryFirst = w_.frm->Engine()->FilePath(std::size_t(w_.Icons()[0].FileIndex)).ends_with(".dll");
        const ImageSpec& largest = libraryFirst ? kLibraryLargest : kProgramLargest;
        QCOMPARE(png.convertToFormat(QImage::Format_ARGB32), ExpectedImage(largest));
    }

    void aDragCarriesTheFirstThousandMarkedIcons()
    {
        const ImageSpec small { .width = 16, .height = 16 };
        QVERIFY(ScanAndMarkAll({ { "many.dll", PeFile(Groups(1234, { small })) } }, 1234));
        DragFirstCell();
        QCOMPARE(w_.frm->StatusText(2), QStringLiteral("Dragging the first 1,000 of 1,234 marked icons"));
        QTRY_COMPARE_WITH_TIMEOUT(dragged_->urls().size(), 1000, 20000);
        QCOMPARE(dragged_->urls().back().fileName(), QStringLiteral("many-999.ico"));
    }

    // Cells 1 and 2 of the top row may start a drag.
    void pressOnADraggableCellDragsPastTheDistanceAndSelectsNoBlock()
    {
        TDrawGrid grid;
        grid.resize(300, 200);
        grid.SetColCount(5);
        grid.SetRowCount(3);
        int started = 0, released = 0;
        grid.OnCanDrag = [](int col, int row) { return row == 0 && (col == 1 || col == 2); };
        grid.OnStartDrag = [&] { ++started; };
        grid.OnMouseUp = [&](Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++released; };
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QWidget* viewport = grid.viewport();
        const auto center = [&](int col, int row) { return grid.CellRect(col, row).center(); };
        const int distance = QApplication::startDragDistance();

        // Short of the distance: a click, as ever.
        QTest::mousePress(viewport, Qt::LeftButton, {}, center(1, 0));
        QTest::mouseMove(viewport, center(1, 0) + QPoint(distance - 1, 0));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, center(1, 0) + QPoint(distance - 1, 0));
        QCOMPARE(started, 0);
        QCOMPARE(released, 1);
        QCOMPARE(grid.Selection(), (TGridRect { 1, 0, 1, 0 }));

        // Past it, across other cells: one drag, no block.
        QTest::mousePress(viewport, Qt::LeftButton, {}, center(2, 0));
        QTest::mouseMove(viewport, center(3, 1));
        QTest::mouseMove(viewport, center(4, 2));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, center(4, 2));
        QCOMPARE(started, 1);
        QCOMPARE(grid.Selection(), (TGridRect { 2, 0, 2, 0 }));

        // From a cell that may not start a drag, and with Shift from one
        // that may: blocks.
        QTest::mousePress(viewport, Qt::LeftButton, {}, center(0, 1));
        QTest::mouseMove(viewport, center(2, 2));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, center(2, 2));
        QCOMPARE(grid.Selection(), (TGridRect { 0, 1, 2, 2 }));
        QTest::mousePress(viewport, Qt::LeftButton, Qt::ShiftModifier, center(1, 0));
        QCOMPARE(grid.Selection(), (TGridRect { 0, 0, 1, 1 }));
        QTest::mouseMove(viewport, center(4, 0));
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::ShiftModifier, center(4, 0));
        QCOMPARE(grid.Selection(), (TGridRect { 0, 0, 4, 1 }));
        QCOMPARE(started, 1);
    }
};

QTEST_MAIN(GridDragTest)
#include "GridDragTest.moc"

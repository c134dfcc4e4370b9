#include "fixtures/PaintedIcon.h"
#include "core/GridLayout.h"
#include "core/ScanEngine.h"
#include "platform/extract/ExtractIcon.h"
#include "fixtures/Fixtures.h"
#include "ui/DrawGrid.h"
#include "ui/MainForm.h"
#include "widgets/MessageBox.h"

#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <map>
#include <memory>
#include <set>
#include <thread>

using namespace orbisk;
using orbisk::test::SolidIcon;

namespace {

// The grid after one growth a scan asked for.
struct GrowStep {
    long long icons;
    int fitColumns, fitRows, cols, rows;
};


std::set<std::size_t> MarkedEntries(const TIconList& icons)
{
    std::set<std::size_t> marked;
    for (std::size_t i = 0; i < icons.size(); ++i)
        if (icons[i].Marked)
            marked.insert(i);
    return marked;
}

} // namespace

class IconGridTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QPointer<TMainFrm> frm_;
    TDrawGrid* grid_ = nullptr;

    template <typename Frm = TMainFrm>
    Frm* Open()
    {
        auto* frm = new Frm(SettingsLocation { dir_->path().toStdString(), dir_->filePath("config").toStdString() });
        frm_ = frm;
        grid_ = frm->DrawGrid1();
        frm->show();
        frm->activateWindow();
        grid_->setFocus();
        if (!QTest::qWaitForWindowExposed(frm))
            qWarning("window not exposed");
        return frm;
    }
    // Resizes the window and the tree pane until the grid's client area
    // (without scroll bars) is width x height; the panel's resize arranges
    // the grid. The window stays as wide as its toolbar needs: the tree pane
    // takes the width the grid does not.
    void SetClientSize(int width, int height)
    {
        auto* splitter = frm_->findChild<QSplitter*>(QStringLiteral("Splitter1"));
        for (int i = 0; i < 3 && (grid_->ClientWidth() != width || grid_->ClientHeight() != height); ++i) {
            const int pane = splitter->sizes().value(0) - (width - grid_->ClientWidth());
            const int panel1 = std::max(pane, TMainFrm::Panel1MinWidth);
            const QSize want = frm_->size() + QSize(panel1 - pane, height - grid_->ClientHeight());
            frm_->resize(want);
            // A window system may apply the new size later.
            QTRY_COMPARE(frm_->size(), want);
            const QList<int> sizes = splitter->sizes();
            splitter->setSizes({ panel1, sizes.value(0) + sizes.value(1) - panel1 });
            QTRY_COMPARE(splitter->sizes().value(0), panel1);
        }
        QCOMPARE(grid_->ClientWidth(), width);
        QCOMPARE(grid_->ClientHeight(), height);
    }
    void AddIcons(int n)
    {
        for (int i = 0; i < n; ++i)
            frm_->Engine()->Icons().Append(0, i, SolidIcon(0xff0000ffu));
        frm_->Grid().ArrangeGrid();
    }
    // Writes a library of `icons` icons and starts a scan of its folder.
    std::string ScanLibrary(int icons)
    {
        const std::string folder = dir_->filePath("icons").toStdString();
        QDir().mkpath(QString::fromStdString(folder));
        test::WriteFile(folder + "/lib.dll", test::PeFile(test::Groups(icons, { test::ImageSpec {} })));
        frm_->BeginScan(folder);
        return folder + "/lib.dll";
    }
    bool ScanEnded() const { return frm_->Engine()->WaitForScan(std::chrono::seconds(20)); }
    QPoint Center(int col, int row) const { return grid_->CellRect(col, row).center(); }
    QWidget* Viewport() const { return grid_->viewport(); }
    QImage Shot() const { return Viewport()->grab().toImage(); }

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Orbisk 1.2")); }
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        SetMessageBoxHook([](const MessageRequest&) { });
    }
    void cleanup()
    {
        delete frm_.data();
        SetMessageBoxHook({});
    }

    void arrangeFitsTheClientWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("icons");
        QTest::addColumn<int>("cols");
        QTest::addColumn<int>("rows");
        QTest::newRow("none") << 400 << 0 << 1 << 1;
        QTest::newRow("100, 5") << 100 << 5 << 2 << 3;
        QTest::newRow("400, 7") << 400 << 7 << 7 << 1;
        QTest::newRow("400, 10") << 400 << 10 << 10 << 1;
        QTest::newRow("400, 11") << 400 << 11 << 10 << 2;
        QTest::newRow("400, 20") << 400 << 20 << 10 << 2;
        QTest::newRow("400, 21") << 400 << 21 << 10 << 3;
        QTest::newRow("30, 4") << 30 << 4 << 1 << 4;
    }
    void arrangeFitsTheClientWidth()
    {
        QFETCH(int, width);
        QFETCH(int, icons);
        QFETCH(int, cols);
        QFETCH(int, rows);
        Open();
        // A narrow grid comes from a wide tree pane.
        auto* splitter = frm_->findChild<QSplitter*>(QStringLiteral("Splitter1"));
        splitter->setSizes({ 400, 250 });
        AddIcons(icons);
        SetClientSize(width, 240);
        QCOMPARE(grid_->ColCount(), cols);
        QCOMPARE(grid_->RowCount(), rows);

        // Long texts in the caption strip and the status bar are cut off;
        // they never widen the window or narrow the grid.
        const QSize before = frm_->size();
        frm_->Grid().SetCaption(std::string(3000, 'x'));
        frm_->Grid().SetPanelText(ScanView::DetailPanel, std::string(3000, 'y'));
        QCoreApplication::processEvents();
        QCOMPARE(frm_->size(), before);
        QCOMPARE(grid_->ClientWidth(), width);
    }

    void growsWhileScanningThenArranges()
    {
        auto* frm = Open();
        std::vector<GrowStep> steps;
        frm->Grid().AfterGrow = [&](long long iconCount, int fitColumns, int fitRows) {
            steps.push_back({ iconCount, fitColumns, fitRows, frm->Grid().ColCount(), frm->Grid().RowCount() });
        };
        SetClientSize(380, 120); // 10 columns and 3 rows fit
        ScanLibrary(40);
        QVERIFY(ScanEnded());
        std::map<long long, std::pair<int, int>> after;
        for (const auto& s : steps) {
            QCOMPARE(s.fitColumns, 10);
            QCOMPARE(s.fitRows, 3);
            after[s.icons] = { s.cols, s.rows };
        }
        QCOMPARE(after[9], std::make_pair(9, 1));
        QCOMPARE(after[10], std::make_pair(10, 1));
        QCOMPARE(after[11], std::make_pair(10, 2));
        QCOMPARE(after[20], std::make_pair(10, 3));
        QCOMPARE(after[30], std::make_pair(10, 4));
        QCOMPARE(after.rbegin()->first, 30LL); // no growth past the visible cells

        // Four rows of ten overflow the height: the second arrangement sees
        // the vertical scroll bar and fits the columns into what it leaves.
        QVERIFY(grid_->ClientWidth() < 370);
        const GridCounts want = ArrangedCounts(40, grid_->ClientWidth());
        QCOMPARE(grid_->ColCount(), want.columns);
        QCOMPARE(grid_->RowCount(), want.rows);
        QTRY_VERIFY(grid_->verticalScrollBar()->isVisible());
        QCOMPARE(Viewport()->width(), grid_->ClientWidth());
    }

    void releasedBlocksAreMarked()
    {
        Open();
        SetClientSize(400, 160);
        AddIcons(22); // 10 columns, 3 rows
        TIconList& icons = frm_->Engine()->Icons();

        QTest::mousePress(Viewport(), Qt::LeftButton, {}, Center(1, 0));
        QTest::mouseMove(Viewport(), Center(2, 1));
        QTest::mouseMove(Viewport(), Center(3, 2));
        QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, Center(3, 2));
        QCOMPARE(grid_->Selection(), (TGridRect { 1, 0, 3, 2 }));
        QCOMPARE(MarkedEntries(icons), (std::set<std::size_t> { 1, 2, 3, 11, 12, 13, 21 }));

        // Released above the grid: the block stays, nothing is marked.
        icons.UnmarkAllIcons();
        QTest::mousePress(Viewport(), Qt::LeftButton, {}, Center(1, 0));
        QTest::mouseMove(Viewport(), Center(3, 2));
        QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(Center(3, 2).x(), -4));
        QCOMPARE(grid_->Selection(), (TGridRect { 1, 0, 3, 2 }));
        QVERIFY(MarkedEntries(icons).empty());

        // A click selects one cell and marks nothing; Shift with the keys
        // makes a block, which a right-click (moving nothing) then marks.
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Center(8, 0));
        QVERIFY(MarkedEntries(icons).empty());
        QTest::keyClick(grid_, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(grid_, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(grid_, Qt::Key_Right, Qt::ShiftModifier); // past the last column: stays
        QTest::mouseClick(Viewport(), Qt::RightButton, {}, Center(0, 2));
        QCOMPARE(std::make_pair(grid_->Col(), grid_->Row()), std::make_pair(9, 1));
        QCOMPARE(MarkedEntries(icons), (std::set<std::size_t> { 8, 9, 18, 19 }));

        // Keys without Shift move the current cell and leave a one-cell block.
        QTest::keyClick(grid_, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(grid_, Qt::Key_PageDown);
        QTest::keyClick(grid_, Qt::Key_End);
        QCOMPARE(grid_->Selection(), (TGridRect { 9, 2, 9, 2 }));
    }

    void doubleClickTogglesAndDrawsOneCell()
    {
        Open();
        SetClientSize(400, 160);
        AddIcons(12); // cells 12 to 19 are empty
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Center(2, 0));
        QCoreApplication::processEvents();
        std::vector<std::pair<int, int>> drawn;
        const auto draw = grid_->OnDrawCell;
        grid_->OnDrawCell = [&](QPainter& p, int col, int row, const QRect& r, unsigned s) {
            drawn.emplace_back(col, row);
            draw(p, col, row, r, s);
        };
        const IconEntry& entry = frm_->Engine()->Icons()[2];
        const QPoint inside = grid_->CellRect(2, 0).topLeft() + QPoint(1, 1);

        QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, Center(2, 0));
        QCOMPARE(entry.Marked.load(), uint8_t(1));
        QCOMPARE(drawn, (std::vector<std::pair<int, int>> { { 2, 0 } }));
        QCOMPARE(Shot().pixelColor(inside), QColor(0, 255, 0));

        drawn.clear();
        QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, Center(2, 0));
        QCOMPARE(entry.Marked.load(), uint8_t(0));
        QCOMPARE(drawn.size(), std::size_t(1));
        QCOMPARE(Shot().pixelColor(inside), grid_->palette().color(QPalette::Highlight));

        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Center(5, 1));
        QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, Center(5, 1));
        QVERIFY(MarkedEntries(frm_->Engine()->Icons()).empty());
    }

    void deleteKeyRemovesTheCurrentIcon()
    {
        Open();
        SetClientSize(400, 160);
        const std::string lib = ScanLibrary(12); // 10 columns, 2 rows
        QVERIFY(ScanEnded());
        const long live = LiveIconCount();
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Center(1, 1));
        QCOMPARE(frm_->StatusText(2), QString::fromStdString(lib + " #11"));

        QTest::keyClick(grid_, Qt::Key_Delete);
        QCOMPARE(frm_->Engine()->Icons().size(), std::size_t(11));
        QCOMPARE(LiveIconCount(), live - 1);
        QCOMPARE(std::make_pair(grid_->Col(), grid_->Row()), std::make_pair(1, 1));
        QCOMPARE(frm_->StatusText(2), QString()); // the current cell is empty now
        QTest::keyClick(grid_, Qt::Key_Delete); // nothing to delete there
        QCOMPARE(frm_->Engine()->Icons().size(), std::size_t(11));

        // Any modifiers; the grid shrinks to one row and pulls the current
        // cell into it.
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, Center(0, 1));
        QTest::keyClick(grid_, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(frm_->Engine()->Icons().size(), std::size_t(10));
        QCOMPARE(std::make_pair(grid_->ColCount(), grid_->RowCount()), std::make_pair(10, 1));
        QCOMPARE(std::make_pair(grid_->Col(), grid_->Row()), std::make_pair(0, 0));
        QCOMPARE(frm_->StatusText(2), QString::fromStdString(lib + " #0"));
        QCOMPARE(frm_->Engine()->Icons()[9].IconIndex, 9);
    }

    void paintsWhileAScanAppends()
    {
        Open();
        SetClientSize(740, 370);
        const std::string folder = dir_->filePath("many").toStdString();
        QDir().mkpath(QString::fromStdString(folder));
        for (int f = 0; f < 30; ++f)
            test::WriteFile(folder + "/lib" + std::to_string(f) + ".dll",
                test::PeFile(test::Groups(100, { test::ImageSpec { .bits = 8 } })));
        // The worker holds after 300 icons until the window has painted and
        // marked a while, so the test does not depend on the machine's speed.
        auto extracted = std::make_shared<std::atomic<int>>(0);
        auto release = std::make_shared<std::atomic<bool>>(false);
        frm_->Engine()->SetHooks({ [extracted, release](const std::string& path, int n) {
                                      if (++*extracted > 300) {
                                          for (int waited = 0; !*release && waited < 10000; ++waited)
                                              std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                      }
                                      return ExtractIcon(path, n);
                                  },
            {} });
        frm_->BeginScan(folder);
        QImage canvas(Viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        int paints = 0;
        int clicks = 0;
        QElapsedTimer timer;
        timer.start();
        while (frm_->Engine()->ScanRunning() && timer.elapsed() < 30000) {
            Viewport()->render(&canvas);
            ++paints;
            // Each cell once, so that no mark is toggled back.
            if (frm_->Engine()->Icons().size() >= 200 && clicks < 20) {
                QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, Center(clicks % 20, clicks / 20));
                ++clicks;
            }
            if (paints > 10 && clicks == 20)
                *release = true;
            QCoreApplication::processEvents();
            // The third panel keeps the scan's texts, whatever is selected.
            QVERIFY(!frm_->StatusText(2).contains(QLatin1String(" #")));
        }
        *release = true;
        QVERIFY(paints > 10);
        QVERIFY(frm_->Engine()->WaitForScan(std::chrono::seconds(1)));
        QCOMPARE(frm_->Engine()->Icons().size(), std::size_t(3000));
        QVERIFY(!MarkedEntries(frm_->Engine()->Icons()).empty());
        Viewport()->render(&canvas);

        // Delete during a scan ends it first.
        frm_->BeginScan(folder);
        QTRY_VERIFY(frm_->Engine()->Icons().size() > 0);
        QTest::keyClick(grid_, Qt::Key_Delete);
        QVERIFY(!frm_->Engine()->ScanRunning());
        QVERIFY(frm_->Engine()->ScanStopped());
    }
};

QTEST_MAIN(IconGridTest)
#include "IconGridTest.moc"

// The icon grid as assistive tools read it (a table of named, checkable
// cells), marking with Space, the toolbar buttons' names, and the grid's
// colours under the default, a dark and a high-contrast palette.

#include "SaveTestSupport.h"

#include "fixtures/Fixtures.h"
#include "ui/DrawGrid.h"
#include "ui/GridAccessible.h"
#include "ui/GridContrast.h"

#include <QAccessible>
#include <QToolBar>
#include <QToolButton>

using namespace orbisk;
using namespace orbisk::test;

namespace {

struct Heard {
    QAccessible::Event type;
    int child;
};

std::vector<Heard>* heard = nullptr;

void Listen(QAccessibleEvent& event)
{
    if (heard && qobject_cast<TDrawGrid*>(event.object()))
        heard->push_back({ event.type(), event.child() });
}

long Count(const std::vector<Heard>& events, QAccessible::Event type)
{
    return std::count_if(events.begin(), events.end(), [type](const Heard& h) { return h.type == type; });
}

} // namespace

class GridAccessibleTest : public QObject {
    Q_OBJECT

    WindowFixture w_;
    std::vector<Heard> events_;

    TDrawGrid* Grid() const { return w_.frm->DrawGrid1(); }
    QAccessibleInterface* Table() const { return QAccessible::queryAccessibleInterface(Grid()); }
    QAccessibleInterface* Cell(int row, int col) const { return Table()->tableInterface()->cellAt(row, col); }
    QPoint Center(int col, int row) const { return Grid()->CellRect(col, row).center(); }

    // lib.dll with 12 icons of 16 and 32 pixels, scanned alone and laid out
    // in 5 columns and 3 rows: the last 3 cells are empty.
    void ScanLibrary()
    {
        const std::string lib = w_.Path("lib.dll");
        QVERIFY(WriteFile(lib, PeFile(Groups(12, { ImageSpec { .width = 16, .height = 16 }, ImageSpec {} }))));
        w_.frm->BeginScan(lib, true);
        QVERIFY(w_.frm->Engine()->WaitForScan(std::chrono::seconds(20)));
        QCOMPARE(w_.Icons().size(), std::size_t(12));
        Grid()->SetColCount(5);
        Grid()->SetRowCount(3);
        Grid()->setFocus();
        QTRY_VERIFY(Grid()->hasFocus());
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Orbisk 1.2"));
        heard = &events_;
        SetGridAccessibleEventHook(Listen);
    }
    void cleanupTestCase()
    {
        SetGridAccessibleEventHook({});
        heard = nullptr;
    }
    void init()
    {
        w_.Init();
        events_.clear();
    }
    void cleanup() { w_.Cleanup(); }

    void cellsNameTheIconsAndDropWithTheLayout()
    {
        ScanLibrary();
        QAccessibleInterface* table = Table();
        QCOMPARE(table->role(), QAccessible::Table);
        QCOMPARE(table->tableInterface()->rowCount(), 3);
        QCOMPARE(table->tableInterface()->columnCount(), 5);
        QCOMPARE(table->childCount(), 15);

        QAccessibleInterface* cell = Cell(2, 1); // icon 11
        QCOMPARE(cell->role(), QAccessible::Cell);
        QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("lib.dll #11"));
        // The tooltip's text: the group's sizes, then its resource.
        QCOMPARE(cell->text(QAccessible::Description), QStringLiteral("16, 32 px\nResource: 12, language 1033"));
        QCOMPARE(table->child(11), cell);
        QCOMPARE(table->indexOfChild(cell), 11);
        QCOMPARE(cell->tableCellInterface()->rowIndex(), 2);
        QCOMPARE(cell->tableCellInterface()->columnIndex(), 1);
        QVERIFY(cell->state().checkable);
        QCOMPARE(cell->rect().size(), QSize(TDrawGrid::DefaultColWidth, TDrawGrid::DefaultRowHeight));
        QAccessibleInterface* empty = Cell(2, 2);
        QCOMPARE(empty->text(QAccessible::Name), QString());
        QCOMPARE(empty->text(QAccessible::Description), QString());
        QVERIFY(!empty->state().checkable && !empty->state().checked);

        // Another column count: every cell object goes, the table tells, and
        // the cells read as the grid now shows them.
        const QAccessible::Id id = QAccessible::uniqueId(cell);
        events_.clear();
        Grid()->SetColCount(4);
        QCOMPARE(QAccessible::accessibleInterface(id), nullptr);
        QCOMPARE(Count(events_, QAccessible::TableModelChanged), 1L);
        QCOMPARE(Cell(2, 3)->text(QAccessible::Name), QStringLiteral("lib.dll #11"));
        QCOMPARE(Table()->childCount(), 12);
    }

    void aScanRebuildsPerRowNotPerIcon()
    {
        const std::string folder = w_.Path("many");
        QDir().mkpath(QString::fromStdString(folder));
        for (int f = 0; f < 4; ++f)
            QVERIFY(WriteFile(folder + "/lib" + std::to_string(f) + ".dll", PeFile(Groups(100, { ImageSpec {} }))));
        Table()->childCount();
        w_.frm->BeginScan(folder);
        QVERIFY(w_.frm->Engine()->WaitForScan(std::chrono::seconds(20)));
        QCoreApplication::processEvents();
        QCOMPARE(w_.Icons().size(), std::size_t(400));
        QVERIFY(Count(events_, QAccessible::TableModelChanged) < 400 / Grid()->ColCount());
    }

    void spaceAndDoubleClickCheckTheCell()
    {
        ScanLibrary();
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Center(1, 0));
        // Read, as a tool reads the cell it has been told has the focus.
        QAccessibleInterface* cell = Cell(0, 1);
        QVERIFY(!cell->state().checked);
        events_.clear();
        QTest::keyClick(Grid(), Qt::Key_Space);
        QVERIFY(cell->state().checked);
        QVERIFY(w_.Icons()[1].Marked);
        QTest::keyClick(Grid(), Qt::Key_Space);
        QVERIFY(!cell->state().checked);
        QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, Center(1, 0));
        QVERIFY(cell->state().checked);
        std::vector<int> changed;
        for (const Heard& h : events_)
            if (h.type == QAccessible::StateChanged)
                changed.push_back(h.child);
        QCOMPARE(changed, (std::vector<int> { 1, 1, 1 }));

        // Shift+Space marks the block, and a block of one cell; the block's
        // cells are selected. Space on an empty cell changes nothing.
        w_.Icons().UnmarkAllIcons();
        QTest::keyClick(Grid(), Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(Grid(), Qt::Key_Space, Qt::ShiftModifier);
        for (int i = 0; i < 15; ++i) {
            const bool inBlock = i == 1 || i == 2 || i == 6 || i == 7;
            QCOMPARE(Table()->child(i)->state().checked, inBlock);
            QCOMPARE(Table()->child(i)->state().selected, inBlock);
        }
        QCOMPARE(Table()->tableInterface()->selectedCellCount(), 4);
        QTest::keyClick(Grid(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(Grid(), Qt::Key_Home);
        QTest::keyClick(Grid(), Qt::Key_Space, Qt::ShiftModifier); // icon 10
        QTest::keyClick(Grid(), Qt::Key_Right);
        QTest::keyClick(Grid(), Qt::Key_Right);
        QTest::keyClick(Grid(), Qt::Key_Space); // empty
        QCOMPARE(w_.Icons().CountMarkedIcons(), std::size_t(5));
        QVERIFY(w_.Icons()[10].Marked);
        // The keys the grid had keep their meaning.
        QTest::keyClick(Grid(), Qt::Key_Delete);
        QCOMPARE(w_.Icons().size(), std::size_t(12));
        QTest::keyClick(Grid(), Qt::Key_Home);
        QTest::keyClick(Grid(), Qt::Key_Delete);
        QCOMPARE(w_.Icons().size(), std::size_t(11));
        QCOMPARE(w_.Icons()[10].IconIndex, 11);
    }

    void theFocusFollowsTheCurrentCell()
    {
        ScanLibrary();
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Center(0, 0));
        events_.clear();
        QTest::keyClick(Grid(), Qt::Key_Right);
        QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Center(3, 2));
        QTest::keyClick(Grid(), Qt::Key_Right); // the empty cell 14
        QTest::keyClick(Grid(), Qt::Key_Right); // the last column: no move
        std::vector<int> focused;
        for (const Heard& h : events_)
            if (h.type == QAccessible::Focus)
                focused.push_back(h.child);
        QCOMPARE(focused, (std::vector<int> { 1, 6, 13, 14 }));
        QVERIFY(Cell(2, 4)->state().focused);
        QCOMPARE(Table()->focusChild(), Cell(2, 4));
        QVERIFY(!Cell(2, 3)->state().focused);

        // Without the focus no cell is focused, and moves are not told as such.
        w_.frm->findChild<QWidget*>(QStringLiteral("ShellTree"))->setFocus();
        QTRY_VERIFY(!Grid()->hasFocus());
        events_.clear();
        Grid()->FocusCell(0, 0);
        QCOMPARE(Count(events_, QAccessible::Focus), 0L);
        QVERIFY(!Cell(0, 0)->state().focused);
    }

    void toolButtonsAreNamedAfterTheirCommands()
    {
        // Every button of both toolbars, the hidden ones that open a
        // toolbar's overflow too.
        int buttons = 0;
        for (QToolButton* button : w_.frm->findChildren<QToolButton*>()) {
            if (!qobject_cast<QToolBar*>(button->parent()))
                continue;
            ++buttons;
            QVERIFY2(!QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name).isEmpty(),
                     qPrintable(button->objectName()));
        }
        QCOMPARE(buttons, 16);
        auto* toolBar = w_.frm->findChild<QToolBar*>(QStringLiteral("ToolBar"));
        const auto* start = QAccessible::queryAccessibleInterface(toolBar->findChild<QToolButton*>("StartTb"));
        QCOMPARE(start->text(QAccessible::Name), QStringLiteral("Start scan"));
        QCOMPARE(start->text(QAccessible::Description), QStringLiteral("Start scsan  <F5>"));
        const auto* unselect = QAccessible::queryAccessibleInterface(toolBar->findChild<QToolButton*>("UnselAllTb"));
        QCOMPARE(unselect->text(QAccessible::Name), QStringLiteral("Unselect all"));
        QCOMPARE(unselect->text(QAccessible::Description), QStringLiteral("Unselect All"));
    }

    void marksLinesAndFocusStandOutUnderEveryPalette_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("default") << QGuiApplication::palette();
        QTest::newRow("dark Fusion") << DarkFusionPalette();
        QTest::newRow("high contrast") << HighContrastPalette();
    }
    void marksLinesAndFocusStandOutUnderEveryPalette()
    {
        QFETCH(QPalette, palette);
        const QColor base = palette.color(QPalette::Base);
        const QColor highlight = palette.color(QPalette::Highlight);
        // The mark: its green where it stands out, else its outline.
        const bool greenPasses
            = ContrastRatio(MarkColor, base) >= MinimumContrast && ContrastRatio(MarkColor, highlight) >= MinimumContrast;
        const QColor outline = MarkOutlineColor(palette);
        QVERIFY(greenPasses
                || (ContrastRatio(outline, base) >= MinimumContrast
                    && ContrastRatio(outline, highlight) >= MinimumContrast));
        QVERIFY(ContrastRatio(GridLineColor(palette), base) >= MinimumContrast);
        QVERIFY(ContrastRatio(palette.color(QPalette::HighlightedText), highlight) >= MinimumContrast);

        // And the grid paints them: icon 0 marked, its cell neither current
        // nor selected, the current cell marked too.
        ScanLibrary();
        Grid()->setPalette(palette);
        w_.Icons().MarkIcon(0);
        w_.Icons().MarkIcon(6);
        Grid()->FocusCell(1, 1);
        const QImage shot = Grid()->viewport()->grab().toImage();
        const QRect marked = Grid()->CellRect(0, 0);
        QCOMPARE(shot.pixelColor(marked.topLeft()), outline);
        QCOMPARE(shot.pixelColor(marked.topLeft() + QPoint(1, 1)), MarkColor);
        QCOMPARE(shot.pixelColor(marked.topRight() + QPoint(1, 4)), GridLineColor(palette));
        // The focus rectangle: dots on a highlight line, over the mark.
        const QRect current = Grid()->CellRect(1, 1);
        QSet<QRgb> edge;
        for (int x = current.left(); x < current.right(); ++x)
            edge.insert(shot.pixel(x, current.top()));
        QCOMPARE(edge, (QSet<QRgb> { highlight.rgb(), palette.color(QPalette::HighlightedText).rgb() }));
    }
};

QTEST_MAIN(GridAccessibleTest)
#include "GridAccessibleTest.moc"

#include "fixtures/PaintedIcon.h"
#include "core/ScanEngine.h"
#include "platform/namespace/PathParsing.h"
#include "platform/pixels/IconHandle.h"
#include "shell/controls/TStShellListView.h"
#include "shell/controls/TStShellTreeView.h"
#include "shell/items/ShellItem.h"
#include "ui/DrawGrid.h"
#include "ui/ErrorGuard.h"
#include "ui/MainForm.h"
#include "ui/MainImageList.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSplitter>
#include <QSet>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

using namespace orbisk;
using orbisk::test::SolidIcon;

namespace {


QStringList Names(const QList<QAction*>& actions)
{
    QStringList names;
    for (QAction* a : actions)
        names << a->objectName();
    return names;
}

QStringList Hints(const QList<QAction*>& actions)
{
    QStringList hints;
    for (QAction* a : actions)
        hints << a->toolTip();
    return hints;
}

QStringList Texts(const QList<QAction*>& actions)
{
    QStringList texts;
    for (QAction* action : actions)
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

// Counts the key presses that reach a widget.
class KeyCounter : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        presses += event->type() == QEvent::KeyPress;
        return false;
    }
};

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QPointer<TMainFrm> frm_;
    QList<MessageRequest> boxes_;
    MessageAnswer answer_ = MessageAnswer::Yes;

    TMainFrm* Create()
    {
        frm_ = new TMainFrm(SettingsLocation { dir_->path().toStdString(), dir_->filePath("config").toStdString() });
        return frm_;
    }
    TMainFrm* Open()
    {
        if (!frm_)
            Create();
        frm_->show();
        frm_->activateWindow();
        if (!QTest::qWaitForWindowExposed(frm_))
            qWarning("window not exposed");
        QCoreApplication::processEvents();
        return frm_;
    }
    QAction* Command(const char* name) const { return frm_->findChild<QAction*>(QLatin1String(name)); }
    QWidget* Widget(const char* name) const { return frm_->findChild<QWidget*>(QLatin1String(name)); }
    TIconList& Icons() const { return frm_->Engine()->Icons(); }
    void AddIcons(int n)
    {
        for (int i = 0; i < n; ++i)
            Icons().Append(0, i, SolidIcon());
        frm_->Grid().ArrangeGrid();
    }
    std::vector<int> IconIndexes() const
    {
        std::vector<int> indexes;
        for (std::size_t i = 0; i < Icons().size(); ++i)
            indexes.push_back(Icons()[i].IconIndex);
        return indexes;
    }
    // A scan of one file that gives a slow stream of icons.
    void StartSlowScan()
    {
        const QString file = dir_->filePath(QStringLiteral("many.ico"));
        QFile(file).open(QIODevice::WriteOnly);
        frm_->Engine()->SetHooks({ [](const std::string&, int n) -> HICON {
                                      std::this_thread::sleep_for(std::chrono::milliseconds(2));
                                      return n < 5000 ? SolidIcon() : nullptr;
                                  },
                                   {} });
        frm_->BeginScan(file.toStdString(), true);
        QTRY_VERIFY(Icons().size() > 3);
        QVERIFY(!frm_->Engine()->ScanStopped());
    }
    // The widget's left edge and right end in the window.
    int Left(const QWidget* w) const { return w->mapTo(frm_, QPoint(0, 0)).x(); }
    int Right(const QWidget* w) const { return Left(w) + w->width(); }

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Orbisk 1.2")); }
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        boxes_.clear();
        answer_ = MessageAnswer::Yes;
        SetMessageBoxHook([this](MessageRequest& r) {
            boxes_ << r;
            if (r.kind == MessageKind::Question)
                r.answer = answer_;
        });
    }
    void cleanup()
    {
        delete frm_.data();
        SetMessageBoxHook({});
    }

    void commandsMenusAndButtonsCarryTheirTexts()
    {
        Create();
        // The commands' own texts, in the action list's fixed order; each has
        // an image of its own and none a shortcut or a disabled state.
        const QStringList names { "AboutAct", "SettingsAct", "StartScan", "StopScan", "SaveIcon", "DelIcon",
            "SelectAll", "UnselectAll", "DeleteSelected", "SaveSelected", "GoodBy" };
        const QStringList captions { "About", "Settings", "Start scan", "Stop scan", "Save icon", "Delete icon",
            "Select all", "Unselect all", "Delete selected icons", "Save selected icons", "Exit" };
        const QList<QAction*>& actions = frm_->ActionList();
        QCOMPARE(Names(actions), names);
        QCOMPARE(Texts(actions), captions);
        // A command without a hint of its own shows its caption.
        QCOMPARE(Hints(actions), (QStringList { "About", "Settings", "Start scsan", "Stop scan", "Save icon",
                                      "Delete icon", "Select all", "Unselect All", "Delete selected icons",
                                      "Save selected icons", "Exit" }));
        QSet<int> images;
        for (QAction* a : actions) {
            images << a->property("ImageIndex").toInt();
            QVERIFY(!a->icon().isNull());
            QVERIFY(a->shortcut().isEmpty());
            QVERIFY(a->isEnabled());
        }
        QCOMPARE(images.size(), actions.size());

        QCOMPARE(Texts(frm_->menuBar()->actions()), (QStringList { "Action", "Settings", "About" }));
        const QList<QAction*> items = frm_->findChild<QMenu*>(QStringLiteral("Action1"))->actions();
        QCOMPARE(Texts(items), (QStringList { "Start loading", "Stop loading", "Save icon", "Delete icon", "Select all",
                                              "Unselect all", "Delete selected icons", "Save selected icons", "Exit" }));
        for (QAction* item : items)
            QVERIFY(!item->icon().isNull());
        QCOMPARE(Texts(frm_->findChild<QMenu*>(QStringLiteral("GridPopupMenu"))->actions()),
                 (QStringList { "Delete icon", "Save icon", "Select all", "Unselect all", "Delete selected icons",
                                "Save selected icons", "-", "Save icon group...", "Copy",
                                "Remove duplicate icons" }));
        QCOMPARE(Texts(frm_->findChild<QMenu*>(QStringLiteral("TreePopupMenu"))->actions()),
                 (QStringList { "Start scan", "Stop scan" }));

        auto* toolBar = frm_->findChild<QToolBar*>(QStringLiteral("ToolBar"));
        QStringList buttons, hints;
        for (QAction* a : toolBar->actions()) {
            QWidget* w = toolBar->widgetForAction(a);
            buttons << w->objectName();
            if (!a->toolTip().isEmpty() && w->objectName().endsWith(QLatin1String("Tb")))
                hints << a->toolTip();
        }
        QCOMPARE(buttons, (QStringList { "StartTb", "StopTb", "ToolSeparator", "LargeIconTb", "SmallIconTb", "ListTb",
                                         "ReportTb", "ToolSeparator2", "DelIconTb", "SaveIconTb", "SelAllTb",
                                         "UnselAllTb", "DelSelectedTb", "SaveSelectedTb", "ToolSeparator3",
                                         "OptionsTb", "ToolSeparator4", "AboutTb" }));
        QCOMPARE(hints, (QStringList { "Start scsan  <F5>", "Stop scan  <Esc>", "Large icons", "Small icons", "List",
                                       "Details", "Delete icon", "Save icon", "Select all", "Unselect All",
                                       "Delete selected icons", "Save selected icons", "Settings", "About" }));
    }

    void everyImageIsDrawnAndItsOwn()
    {
        QList<QImage> images;
        for (int i = 0; i < MainImageCount; ++i) {
            const QIcon icon = MainImageListIcon(i);
            QVERIFY(!icon.isNull());
            const QImage small = icon.pixmap(32, 32).toImage();
            QCOMPARE(small.size(), QSize(32, 32));
            int opaque = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    opaque += qAlpha(small.pixel(x, y)) > 128;
            QVERIFY2(opaque > 60, qPrintable(QString::number(i)));
            QVERIFY(!images.contains(small));
            images << small;
            // Drawn for the device pixels of a high-density screen.
            const QPixmap sharp = icon.pixmap(QSize(32, 32), 2.0);
            QCOMPARE(sharp.size(), QSize(64, 64));
        }
        QVERIFY(MainImageListIcon(MainImageCount).isNull());
    }

    void guardShowsWhatAHandlerThrows()
    {
        Guarded([] { throw std::runtime_error("Disk on fire"); });
        QCOMPARE(boxes_.size(), 1);
        QCOMPARE(boxes_[0].kind, MessageKind::Error);
        QCOMPARE(boxes_[0].text, QStringLiteral("Disk on fire."));
    }

    void selectAllEndsTheScanThenMarksEveryIcon()
    {
        Open();
        StartSlowScan();
        Command("SelectAll")->trigger();
        QVERIFY(frm_->Engine()->ScanStopped());
        QVERIFY(!frm_->Engine()->ScanRunning());
        const std::size_t found = Icons().size();
        QVERIFY(found > 3 && found < 5000);
        QCOMPARE(Icons().CountMarkedIcons(), found);
        Command("UnselectAll")->trigger();
        QVERIFY(!Icons().AnyIconMarked());
        QCOMPARE(Icons().size(), found);
    }

    void deleteSelectedAsksThenRemovesTheMarked_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void deleteSelectedAsksThenRemovesTheMarked()
    {
        QFETCH(bool, yes);
        Open();
        AddIcons(5);
        // Nothing marked: no question, nothing removed.
        Command("DeleteSelected")->trigger();
        QVERIFY(boxes_.isEmpty());
        QCOMPARE(Icons().size(), 5u);

        for (int i : { 0, 1, 3 })
            Icons().MarkIcon(std::size_t(i));
        answer_ = yes ? MessageAnswer::Yes : MessageAnswer::No;
        Command("DeleteSelected")->trigger();
        QCOMPARE(boxes_.size(), 1);
        QCOMPARE(boxes_[0].kind, MessageKind::Question);
        QCOMPARE(boxes_[0].caption, QStringLiteral("Warning !"));
        QCOMPARE(boxes_[0].text, QStringLiteral("Delete selected icons ?"));
        if (yes) {
            QCOMPARE(IconIndexes(), (std::vector<int> { 2, 4 }));
            QVERIFY(!Icons().AnyIconMarked());
            QCOMPARE(frm_->DrawGrid1()->ColCount(), 2);
            QCOMPARE(frm_->DrawGrid1()->RowCount(), 1);
        } else {
            QCOMPARE(IconIndexes(), (std::vector<int> { 0, 1, 2, 3, 4 }));
            QCOMPARE(Icons().CountMarkedIcons(), 3u);
        }
    }

    // The scan gives one picture again and again, then the list gets a
    // second picture: the first icon of each stays, with the mark of a
    // removed duplicate; nothing is asked.
    void removeDuplicatesEndsTheScanAndKeepsTheFirstOfEachPicture()
    {
        Open();
        StartSlowScan();
        QAction* remove = frm_->findChild<QAction*>(QStringLiteral("RemoveDuplicateIcons"));
        QVERIFY(remove);
        Icons().MarkIcon(2);
        remove->trigger();
        QVERIFY(frm_->Engine()->ScanStopped());
        QVERIFY(!frm_->Engine()->ScanRunning());
        QCOMPARE(IconIndexes(), (std::vector<int> { 0 }));
        QCOMPARE(Icons().CountMarkedIcons(), 1u);

        Icons().Append(0, 7, SolidIcon(0xff102030u));
        Icons().Append(0, 8, SolidIcon());
        Icons().Append(0, 9, SolidIcon(0xff102030u));
        remove->trigger();
        QVERIFY(boxes_.isEmpty());
        QCOMPARE(IconIndexes(), (std::vector<int> { 0, 7 }));
        QCOMPARE(frm_->DrawGrid1()->ColCount(), 2);
        QCOMPARE(frm_->findChild<QLabel*>(QStringLiteral("StatusPanel2"))->text(),
                 QStringLiteral("2 duplicate icon(s) removed"));
    }

    void gridPopUpActsOnTheCurrentCell()
    {
        Open();
        AddIcons(5);
        TDrawGrid* grid = frm_->DrawGrid1();
        grid->FocusCell(1, 0);
        const QPoint under = grid->CellRect(3, 0).center();
        QTest::mousePress(grid->viewport(), Qt::RightButton, {}, under);
        QTest::mouseRelease(grid->viewport(), Qt::RightButton, {}, under);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, under, grid->viewport()->mapToGlobal(under));
        QApplication::sendEvent(grid->viewport(), &menuEvent);
        auto* menu = frm_->findChild<QMenu*>(QStringLiteral("GridPopupMenu"));
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(grid->Col(), 1);
        menu->actions().at(0)->trigger(); // Delete icon
        menu->hide();
        QCOMPARE(IconIndexes(), (std::vector<int> { 0, 2, 3, 4 }));
    }

    void escapeStopsTheScanAndReachesNoControl()
    {
        Open();
        TDrawGrid* grid = frm_->DrawGrid1();
        grid->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), grid);
        KeyCounter counter;
        grid->installEventFilter(&counter);
        StartSlowScan();
        QTest::keyClick(grid, Qt::Key_Escape);
        QVERIFY(frm_->Engine()->ScanStopped());
        QVERIFY(!frm_->Engine()->ScanRunning());
        QCOMPARE(counter.presses, 0);
        QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(counter.presses, 1);

        // The window's dialogs keep their Esc.
        QDialog dialog(frm_);
        auto* edit = new QLineEdit(&dialog);
        dialog.show();
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }

    void toolBarSpacersFollowTheWindowAndTheTreePane()
    {
        Open();
        auto* toolBar = Widget("ToolBar");
        QWidget* panel1 = Widget("Panel1");
        QWidget* about = Widget("AboutTb");
        // The view buttons sit 4 pixels right of the tree pane, over the file
        // list, and the about button ends at the toolbar's right end; where
        // the window is too narrow for that, the spacers shrink to nothing.
        auto check = [&](bool fits = true) {
            QVERIFY(Widget("ToolSeparator")->width() >= 0);
            QVERIFY(Widget("ToolSeparator4")->width() >= 0);
            if (!fits)
                return;
            QTRY_COMPARE(Left(Widget("LargeIconTb")), Right(panel1) + 4);
            QTRY_COMPARE(Right(about), toolBar->width() - 1);
        };
        QCOMPARE(toolBar->height(), 42);
        QCOMPARE(toolBar->width(), 713);
        QCOMPARE(Widget("StartTb")->size(), QSize(44, 38));
        QCOMPARE(Left(Widget("StartTb")), 0);
        QCOMPARE(panel1->width(), 137);
        check();

        frm_->resize(913, 400);
        QTRY_COMPARE(toolBar->width(), 913);
        check();

        frm_->findChild<QSplitter*>(QStringLiteral("Splitter1"))->setSizes({ 250, 660 });
        QTRY_COMPARE(panel1->width(), 250);
        check();

        // The narrowest window with a wide tree pane leaves the about
        // button no room: its spacer is empty, never negative.
        frm_->findChild<QSplitter*>(QStringLiteral("Splitter1"))->setSizes({ 400, 510 });
        frm_->resize(frm_->minimumSizeHint().width(), 400);
        QTRY_COMPARE(toolBar->width(), 559);
        QCOMPARE(Widget("ToolSeparator4")->width(), 0);
        check(false);
    }
};

QTEST_MAIN(CommandsTest)
#include "CommandsTest.moc"

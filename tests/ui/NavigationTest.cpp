// The folder tree and the file list in the main window, as the user works
// them: what start-up shows, which selections, double-clicks and keys scan
// what, the view buttons, and folders that are odd or go away.

#include "core/ScanEngine.h"
#include "shell/controls/ShellListModel.h"
#include "shell/controls/TStShellListView.h"
#include "shell/controls/TStShellTreeView.h"
#include "ui/MainForm.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace orbisk;

class NavigationTest : public QObject {
    Q_OBJECT

public slots:
    // Stands in for the desktop: any file the program asks it to open.
    void OpenUrl(const QUrl& url) { opened_ << url; }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QPointer<TMainFrm> frm_;
    QList<MessageRequest> boxes_;
    QList<QUrl> opened_;

    QString Path(const QString& name = {}) const { return name.isEmpty() ? dir_->path() : dir_->filePath(name); }
    static std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }
    void WriteIni(const QByteArray& text) const
    {
        QFile file(Path(QStringLiteral("orbisk.ini")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    TMainFrm* Open()
    {
        frm_ = new TMainFrm(SettingsLocation { Native(Path()), Native(Path(QStringLiteral("config"))) });
        frm_->show();
        frm_->activateWindow();
        if (!QTest::qWaitForWindowExposed(frm_))
            qWarning("window not exposed");
        // The tree's start-up selection is over.
        if (!QTest::qWaitFor([this] { return !frm_->Panes().SkipFolderSelected(); }))
            qWarning("start-up selection not over");
        return frm_;
    }
    TStShellTreeView* Tree() const { return frm_->ShellTree(); }
    TStShellListView* List() const { return frm_->ShellList(); }
    ScanEngine& Engine() const { return *frm_->Engine(); }
    std::string TreeFolder() const
    {
        const TStShellFolder* folder = Tree()->SelectedFolder();
        return folder ? folder->NativePath() : std::string("(none)");
    }
    std::string ListFolder() const
    {
        const TStShellFolder* folder = List()->CurrentFolder();
        return folder ? folder->NativePath() : std::string("(none)");
    }
    // Selects a folder in the tree as a click would, expanding the nodes
    // above it as the user would have to.
    bool SelectInTree(const QString& path)
    {
        QString prefix;
        for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            const QModelIndex above = Tree()->FindNodeByPath(prefix.isEmpty() ? QStringLiteral("/") : prefix);
            if (above.isValid())
                Tree()->ExpandNode(above);
            prefix += QLatin1Char('/') + part;
        }
        const QModelIndex index = Tree()->FindNodeByPath(path);
        if (!index.isValid())
            return false;
        Tree()->setCurrentIndex(index);
        return true;
    }
    int ListRow(const QString& caption) const
    {
        for (int row = 0; row < List()->Model()->rowCount(); ++row)
            if (List()->Model()->ItemAtRow(row)->DisplayName() == caption)
                return row;
        return -1;
    }
    void MakeCurrentInList(const QString& caption)
    {
        const int row = ListRow(caption);
        QVERIFY2(row >= 0, qPrintable(caption));
        List()->SelectionModel()->setCurrentIndex(List()->Model()->index(row, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    void Focus(QWidget* widget)
    {
        widget->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(widget->hasFocus() || widget->isAncestorOf(QApplication::focusWidget()));
    }
    static void PressF5() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5); }
    void ExpectScan(const QString& path, bool oneFile)
    {
        QCOMPARE(Engine().ScanRoot(), Native(path));
        QCOMPARE(Engine().OneFileMode(), oneFile);
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Orbisk 1.2"));
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "OpenUrl");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        QVERIFY(QDir(Path()).mkpath(QStringLiteral("icons/sub")));
        QVERIFY(QDir(Path()).mkpath(QStringLiteral("icons/other")));
        QVERIFY(QFile(Path(QStringLiteral("icons/one.ico"))).open(QIODevice::WriteOnly));
        boxes_.clear();
        opened_.clear();
        SetMessageBoxHook([this](MessageRequest& r) { boxes_ << r; });
    }
    void cleanup()
    {
        if (frm_)
            frm_->EndScan();
        delete frm_.data();
        SetMessageBoxHook({});
        // Permissions taken away by a test would keep the scratch folder.
        for (const char* name : { "icons/sub", "icons/locked" })
            ::chmod(QFile::encodeName(Path(QLatin1String(name))).constData(), 0700);
        QVERIFY(boxes_.isEmpty());
    }

    void startUpShowsTheStartFolderAndTheUserFirstSelectionScans_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("kept");
        QTest::newRow("folder") << "icons" << true;
        QTest::newRow("nothing saved") << "" << false;
        QTest::newRow("gone") << "gone" << false;
        QTest::newRow("file") << "icons/one.ico" << false;
        QTest::newRow("fifo") << "fifo" << false;
        QTest::newRow("unreadable") << "icons/locked" << false;
    }
    void startUpShowsTheStartFolderAndTheUserFirstSelectionScans()
    {
        QFETCH(QString, saved);
        QFETCH(bool, kept);
        QCOMPARE(::mkfifo(QFile::encodeName(Path(QStringLiteral("fifo"))).constData(), 0600), 0);
        QVERIFY(QDir(Path()).mkpath(QStringLiteral("icons/locked")));
        ::chmod(QFile::encodeName(Path(QStringLiteral("icons/locked"))).constData(), 0);
        if (saved == QLatin1String("icons/locked") && ::geteuid() == 0)
            QSKIP("every folder is readable to root");
        QByteArray ini = "[Options]\nAutoScan=1\n";
        if (!saved.isEmpty())
            ini += "[Display]\nStartInFolder=" + QFile::encodeName(Path(saved)) + "\n";
        WriteIni(ini);

        Open();
        const std::string start = kept ? Native(Path(saved)) : std::string("/");
        QCOMPARE(frm_->Panes().StartFolder(), start);
        QCOMPARE(TreeFolder(), start);
        QTRY_COMPARE(ListFolder(), start);
        QVERIFY(List()->Model()->rowCount() > 0);
        QVERIFY(Engine().ScanRoot().empty());

        // The first folder the user selects is scanned, with a single
        // notification from the tree.
        QVERIFY(SelectInTree(Path(QStringLiteral("icons/sub"))));
        ExpectScan(Path(QStringLiteral("icons/sub")), false);
        QCOMPARE(ListFolder(), Native(Path(QStringLiteral("icons/sub"))));
    }

    void selectingTheComputerListsTheDrivesAndScansNothing()
    {
        Open();
        Tree()->setCurrentIndex(Tree()->Model()->index(0, 0));
        QVERIFY(Tree()->SelectedFolder() && !Tree()->SelectedFolder()->IsFileSystemFolder());
        QVERIFY(List()->CurrentFolder() && !List()->CurrentFolder()->IsFileSystemFolder());
        QVERIFY(ListRow(QStringLiteral("File System")) >= 0);
        QVERIFY(Engine().ScanRoot().empty());
    }

    void doubleClicksScanAFileAloneAndOpenFoldersInTheList()
    {
        WriteIni("[Display]\nStartInFolder=" + QFile::encodeName(Path(QStringLiteral("icons"))) + "\n");
        Open();
        QTRY_COMPARE(ListFolder(), Native(Path(QStringLiteral("icons"))));
        auto doubleClick = [this](const QString& caption) {
            MakeCurrentInList(caption);
            QAbstractItemView* view = List()->View();
            const QPoint at = view->visualRect(List()->Model()->index(ListRow(caption), 0)).center();
            // What a mouse sends: the first click, then the double-click.
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
        };

        doubleClick(QStringLiteral("one.ico"));
        ExpectScan(Path(QStringLiteral("icons/one.ico")), true);
        QCOMPARE(ListFolder(), Native(Path(QStringLiteral("icons"))));
        QCOMPARE(TreeFolder(), Native(Path(QStringLiteral("icons"))));
        QVERIFY(opened_.isEmpty());

        // A folder opens in the list, becomes the tree's selection and, with
        // AutoScan on, is scanned.
        doubleClick(QStringLiteral("sub"));
        QCOMPARE(ListFolder(), Native(Path(QStringLiteral("icons/sub"))));
        QCOMPARE(TreeFolder(), Native(Path(QStringLiteral("icons/sub"))));
        ExpectScan(Path(QStringLiteral("icons/sub")), false);
        QVERIFY(opened_.isEmpty());
    }

    void f5AndStartScanTakeTheirTargetFromTheFocusedControl()
    {
        WriteIni("[Display]\nStartInFolder=" + QFile::encodeName(Path(QStringLiteral("icons"))) + "\n");
        Open();
        QTRY_COMPARE(ListFolder(), Native(Path(QStringLiteral("icons"))));

        // The list has no current item until the user picks one.
        Focus(List());
        QVERIFY(frm_->Panes().ListHasFocus());
        PressF5();
        frm_->findChild<QAction*>(QStringLiteral("StartScan"))->trigger();
        QVERIFY(Engine().ScanRoot().empty());

        MakeCurrentInList(QStringLiteral("other"));
        PressF5();
        ExpectScan(Path(QStringLiteral("icons/other")), false);
        MakeCurrentInList(QStringLiteral("one.ico"));
        PressF5();
        ExpectScan(Path(QStringLiteral("icons/one.ico")), true);
        frm_->EndScan();
        Engine().SetOneFileMode(false);
        frm_->findChild<QAction*>(QStringLiteral("StartScan"))->trigger();
        ExpectScan(Path(QStringLiteral("icons/one.ico")), true);

        // Focus in a dialog of the window leaves the flag as it was.
        QDialog dialog(frm_);
        auto* edit = new QLineEdit(&dialog);
        dialog.show();
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QVERIFY(frm_->Panes().ListHasFocus());
        dialog.hide();
        frm_->activateWindow();

        // The tree's menu is the tree's: its Start scan scans the tree's
        // folder although the list had the focus.
        Focus(List());
        QWidget* viewport = Tree()->viewport();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), viewport->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(viewport, &menuEvent);
        auto* menu = frm_->findChild<QMenu*>(QStringLiteral("TreePopupMenu"));
        QTRY_VERIFY(menu->isVisible());
        menu->actions().at(0)->trigger();
        menu->hide();
        QVERIFY(!frm_->Panes().ListHasFocus());
        ExpectScan(Path(QStringLiteral("icons")), false);

        Focus(Tree());
        QVERIFY(SelectInTree(Path(QStringLiteral("icons/other"))));
        frm_->EndScan();
        frm_->BeginScan("/nonexistent-before-f5");
        PressF5();
        ExpectScan(Path(QStringLiteral("icons/other")), false);
    }

    void viewButtonsDriveTheListAndListSortsByName()
    {
        for (const char* name : { "b.ico", "c.ico" }) {
            QFile file(Path(QStringLiteral("icons/") + QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            // Sizes in the opposite order of the names.
            file.write(QByteArray(name[0] == 'b' ? 3000 : 10, 'x'));
        }
        WriteIni("[Display]\nListMode=4\nStartInFolder=" + QFile::encodeName(Path(QStringLiteral("icons"))) + "\n");
        Open();
        QCOMPARE(List()->ViewStyle(), TViewStyle::vsReport);
        QTRY_COMPARE(ListFolder(), Native(Path(QStringLiteral("icons"))));
        List()->ColumnClick(1);
        List()->ColumnClick(1);
        QCOMPARE(List()->SortColumn(), 1);
        QVERIFY(!List()->SortAscending());

        frm_->findChild<QAction*>(QStringLiteral("ListTb"))->trigger();
        QCOMPARE(List()->ViewStyle(), TViewStyle::vsList);
        QCOMPARE(List()->SortColumn(), 0);
        QVERIFY(List()->SortAscending());
        QVERIFY(ListRow(QStringLiteral("b.ico")) < ListRow(QStringLiteral("c.ico")));

        const std::pair<const char*, TViewStyle> buttons[] = {
            { "LargeIconTb", TViewStyle::vsIcon },
            { "SmallIconTb", TViewStyle::vsSmallIcon },
            { "ReportTb", TViewStyle::vsReport },
        };
        for (const auto& [name, style] : buttons) {
            frm_->findChild<QAction*>(QLatin1String(name))->trigger();
            QCOMPARE(List()->ViewStyle(), style);
            QCOMPARE(frm_->ToolBar().PressedViewButton(), std::optional(style));
        }
    }

    void aSelectedFolderThatVanishesLeavesAUsableWindow()
    {
        WriteIni("[Display]\nStartInFolder=" + QFile::encodeName(Path(QStringLiteral("icons"))) + "\n");
        Open();
        QVERIFY(SelectInTree(Path(QStringLiteral("icons/sub"))));
        QTRY_COMPARE(ListFolder(), Native(Path(QStringLiteral("icons/sub"))));
        QTRY_COMPARE(Engine().ScanRoot(), Native(Path(QStringLiteral("icons/sub"))));
        QVERIFY(QDir(Path(QStringLiteral("icons"))).rmdir(QStringLiteral("sub")));
        QTRY_VERIFY(TreeFolder() != Native(Path(QStringLiteral("icons/sub"))));
        QVERIFY(QFileInfo(QFile::decodeName(QByteArray::fromStdString(TreeFolder()))).isDir());
        QTRY_COMPARE(ListFolder(), TreeFolder());
        // The tree moved on by itself: what the user scanned stays shown.
        QCOMPARE(Engine().ScanRoot(), Native(Path(QStringLiteral("icons/sub"))));

        frm_->EndScan();
        Focus(Tree());
        PressF5();
        QCOMPARE(Engine().ScanRoot(), TreeFolder());
    }

    void aScanOfAFolderThatCannotBeReadFindsNothing()
    {
        WriteIni("[Display]\nStartInFolder=" + QFile::encodeName(Path(QStringLiteral("icons"))) + "\n");
        Open();
        QTRY_COMPARE(ListFolder(), Native(Path(QStringLiteral("icons"))));
        Focus(List());
        // The list still shows a folder that has gone, or one the user may
        // no longer read.
        MakeCurrentInList(QStringLiteral("other"));
        QVERIFY(QDir(Path(QStringLiteral("icons"))).rmdir(QStringLiteral("other")));
        PressF5();
        ExpectScan(Path(QStringLiteral("icons/other")), false);
        QTRY_VERIFY(!Engine().ScanRunning());
        QCOMPARE(Engine().Icons().size(), 0u);

        MakeCurrentInList(QStringLiteral("sub"));
        ::chmod(QFile::encodeName(Path(QStringLiteral("icons/sub"))).constData(), 0);
        PressF5();
        ExpectScan(Path(QStringLiteral("icons/sub")), false);
        QTRY_VERIFY(!Engine().ScanRunning());
        ::chmod(QFile::encodeName(Path(QStringLiteral("icons/sub"))).constData(), 0700);
        QCOMPARE(Engine().Icons().size(), 0u);

        // The window goes on: the next selection scans.
        QVERIFY(SelectInTree(Path(QStringLiteral("icons/sub"))));
        ExpectScan(Path(QStringLiteral("icons/sub")), false);
    }
};

QTEST_MAIN(NavigationTest)
#include "NavigationTest.moc"

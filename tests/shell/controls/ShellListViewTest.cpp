#include "shell/controls/TStShellTreeView.h"
#include "shell/items/ShellErrors.h"

#include "tests/shell/controls/ListTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QTest>

#include <cstdio>
#include <memory>

using namespace orbisk;
using namespace orbisk::test;

class ShellListViewTest : public QObject, private ListFolder {
    Q_OBJECT

private slots:
    void init() { QVERIFY(NewFolder()); }

    void showsTheFolderWithFoldersFirstInNaturalOrder()
    {
        for (const char* name : {"b10.ico", "b9.ico", "A.txt"})
            Touch(At(name));
        QCOMPARE(::mkdir(At("zdir").c_str(), 0755), 0);
        auto list = MakeList();
        int filled = 0;
        list->OnListFilled = [&](QObject* sender) {
            QCOMPARE(sender, list.get());
            ++filled;
        };
        list->SetRootFolder(tmp_->path());
        QCOMPARE(filled, 1);
        QCOMPARE(Captions(*list), (QStringList{"zdir", "A.txt", "b9.ico", "b10.ico"}));
        QCOMPARE(list->CurrentFolder()->Path(), tmp_->path());
        QVERIFY(!list->CurrentItem());
        QVERIFY(list->Watcher().Active());

        // An empty root empties the list; one that does not parse also
        // forgets the path.
        list->SetRootFolder(QString());
        QCOMPARE(list->Model()->rowCount(), 0);
        list->SetRootFolder(tmp_->path());
        QVERIFY_THROWS_EXCEPTION(EStInvalidFolder, list->SetRootFolder(tmp_->path() + "/missing"));
        QVERIFY(list->RootFolder().isEmpty());
        QCOMPARE(list->Model()->rowCount(), 0);
        QVERIFY(!list->CurrentFolder());
        QVERIFY(!list->Watcher().Active()); // the folder shown before is not followed
    }

    void filterVetoesItemsAndHiddenItemsNeedTheOption()
    {
        for (const char* name : {"keep.ico", "drop.txt", ".hidden.ico"})
            Touch(At(name));
        auto list = MakeList();
        QStringList asked;
        list->OnFilterItem = [&](QObject* sender, TStShellItem* item, bool& accept) {
            QCOMPARE(sender, list.get());
            QVERIFY(accept);
            asked << item->DisplayName();
            accept = !item->DisplayName().endsWith(".txt");
        };
        list->SetRootFolder(tmp_->path());
        QVERIFY(asked.isEmpty()); // not Filtered: the event is not asked
        QCOMPARE(Captions(*list), (QStringList{"drop.txt", "keep.ico"}));

        list->SetFiltered(true);
        list->SetOptions({loShowHidden});
        list->Refresh();
        QCOMPARE(asked.size(), 3);
        QCOMPARE(Captions(*list), (QStringList{".hidden.ico", "keep.ico"}));

        // Hidden items are drawn at half strength.
        const auto alpha = [&](const QString& caption) {
            const QImage image =
                list->Model()->index(RowOf(*list, caption), 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
            int most = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    most = std::max(most, qAlpha(image.pixel(x, y)));
            return most;
        };
        QCOMPARE(alpha("keep.ico"), 255);
        QVERIFY(alpha(".hidden.ico") <= 128);
    }

    void viewStylesAndTheViewMenu_data()
    {
        QTest::addColumn<TViewStyle>("style");
        QTest::addColumn<int>("iconSize");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("flow");
        QTest::newRow("large icons") << TViewStyle::vsIcon << 32 << int(QListView::IconMode)
                                     << int(QListView::LeftToRight);
        QTest::newRow("small icons") << TViewStyle::vsSmallIcon << 16 << int(QListView::IconMode)
                                     << int(QListView::LeftToRight);
        QTest::newRow("list") << TViewStyle::vsList << 16 << int(QListView::ListMode) << int(QListView::TopToBottom);
        QTest::newRow("details") << TViewStyle::vsReport << 16 << -1 << -1;
    }

    void viewStylesAndTheViewMenu()
    {
        QFETCH(TViewStyle, style);
        QFETCH(int, iconSize);
        QFETCH(int, mode);
        QFETCH(int, flow);
        Touch(At("a.ico"));
        auto list = MakeList(TViewStyle::vsIcon);
        list->SetRootFolder(tmp_->path());
        SelectRow(*list, 0);

        const QList<QAction*> entries = list->ViewMenu()->actions();
        QStringList captions;
        for (QAction* a : entries) {
            captions << a->text();
            QVERIFY(!a->isChecked());
        }
        QCOMPARE(captions, (QStringList{"Lar&ge Icons", "S&mall Icons", "&List", "&Details"}));
        QCOMPARE(list->PopupMenu(), list->ViewMenu());
        entries[int(style)]->trigger();
        QCOMPARE(list->ViewStyle(), style);
        for (QAction* a : entries)
            QCOMPARE(a->isChecked(), a == entries[int(style)]);

        QAbstractItemView* view = list->View();
        QCOMPARE(view->model(), list->Model());
        QCOMPARE(view->selectionModel(), list->SelectionModel());
        QVERIFY(list->SelectionModel()->isRowSelected(0)); // the selection survives the switch
        if (style == TViewStyle::vsReport) {
            QCOMPARE(view, static_cast<QAbstractItemView*>(list->ReportView()));
            QVERIFY(!list->IconView()->model() || list->IconView()->model() != list->Model());
            const QHeaderView* header = list->ReportView()->header();
            QCOMPARE(Cell(*list, 0, 0), QStringLiteral("a.ico"));
            QCOMPARE(Cell(*list, 0, 1), QStringLiteral("0KB"));
            const int widths[] = {175, 75, 125, 125, 60};
            for (int c = 0; c < 5; ++c)
                QCOMPARE(header->sectionSize(c), widths[c]);
            QCOMPARE(list->Model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                         Qt::AlignRight,
                     Qt::AlignRight);
        } else {
            QCOMPARE(view, static_cast<QAbstractItemView*>(list->IconView()));
            QCOMPARE(int(list->IconView()->viewMode()), mode);
            QCOMPARE(int(list->IconView()->flow()), flow);
            QCOMPARE(list->IconView()->iconSize(), QSize(iconSize, iconSize));
            const QPixmap icon = list->Model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>();
            QCOMPARE(icon.width(), iconSize);
        }
    }

    void reportViewSortsByNameAndSizeTwicePutsFoldersLast()
    {
        WriteFile(At("big.bin"), 5000);
        WriteFile(At("small.bin"), 10);
        WriteFile(At("mid.bin"), 2000);
        QCOMPARE(::mkdir(At("folder").c_str(), 0755), 0);
        auto list = MakeList(TViewStyle::vsReport);
        list->SetRootFolder(tmp_->path());
        QCOMPARE(Captions(*list), (QStringList{"folder", "big.bin", "mid.bin", "small.bin"}));

        list->ColumnClick(1);
        QCOMPARE(Captions(*list), (QStringList{"folder", "small.bin", "mid.bin", "big.bin"}));
        QVERIFY(list->SortAscending());
        list->ColumnClick(1);
        QCOMPARE(Captions(*list), (QStringList{"big.bin", "mid.bin", "small.bin", "folder"}));
        QVERIFY(!list->SortAscending());

        // Another style keeps the order, ascending; report view again sorts by
        // name, ascending.
        list->SetViewStyle(TViewStyle::vsList);
        QCOMPARE(Captions(*list), (QStringList{"folder", "small.bin", "mid.bin", "big.bin"}));
        list->SetViewStyle(TViewStyle::vsReport);
        QCOMPARE(list->SortColumn(), 0);
        QVERIFY(list->SortAscending());
        QCOMPARE(Captions(*list), (QStringList{"folder", "big.bin", "mid.bin", "small.bin"}));
    }

    void enteringReportViewWorksOutTheDetails()
    {
        WriteFile(At("a.bin"), 3000);
        auto list = MakeList(TViewStyle::vsList);
        list->SetRootFolder(tmp_->path());
        QVERIFY(!list->DetailsBuilt());
        QVERIFY(Cell(*list, 0, 1).isEmpty());
        list->SetViewStyle(TViewStyle::vsReport);
        QVERIFY(list->DetailsBuilt());
        QVERIFY(list->ColumnsBuilt());
        QCOMPARE(Cell(*list, 0, 1), QStringLiteral("2KB"));
    }

    void doubleClickInOpenDialogModeOpensFoldersOnly()
    {
        QCOMPARE(::mkdir(At("sub").c_str(), 0755), 0);
        Touch(At("sub/inner.ico"));
        Touch(At("file.ico"));
        auto list = MakeList();
        list->SetOpenDialogMode(true);
        QStringList clicked;
        bool decline = false;
        list->OnItemDblClick = [&](QObject*, TStShellItem* item, bool& defaultAction) {
            QVERIFY(defaultAction);
            clicked << item->DisplayName();
            defaultAction = !decline;
        };
        list->SetRootFolder(tmp_->path());

        list->DblClick(); // nothing selected: nothing happens
        QVERIFY(clicked.isEmpty());
        SelectRow(*list, RowOf(*list, "file.ico"));
        list->DblClick();
        QCOMPARE(clicked, QStringList{"file.ico"});
        QCOMPARE(list->CurrentFolder()->Path(), tmp_->path());

        SelectRow(*list, RowOf(*list, "sub"));
        decline = true;
        list->DblClick();
        QCOMPARE(list->CurrentFolder()->Path(), tmp_->path());
        decline = false;
        list->DblClick();
        QCOMPARE(clicked, (QStringList{"file.ico", "sub", "sub"}));
        QCOMPARE(list->CurrentFolder()->Path(), tmp_->path() + "/sub");
        QCOMPARE(Captions(*list), QStringList{"inner.ico"});
        QVERIFY(!list->CurrentItem());
    }

    void clickingAnItemTellsTheOwner()
    {
        Touch(At("a.ico"));
        Touch(At("b.ico"));
        auto list = MakeList(TViewStyle::vsReport);
        list->resize(400, 300);
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        list->SetRootFolder(tmp_->path());
        QStringList selected;
        list->OnItemSelected = [&](QObject* sender, TStShellItem* item) {
            QCOMPARE(sender, list.get());
            selected << item->DisplayName();
        };
        QTreeView* view = list->ReportView();
        const QRect b = view->visualRect(list->Model()->index(RowOf(*list, "b.ico"), 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, b.center());
        QCOMPARE(selected, QStringList{"b.ico"});
        QCOMPARE(list->CurrentItem()->DisplayName(), QStringLiteral("b.ico"));
    }

    void aLinkedTreeFillsTheListAndFollowsFoldersOpenedInIt()
    {
        QCOMPARE(::mkdir(At("a").c_str(), 0755), 0);
        QCOMPARE(::mkdir(At("a/inner").c_str(), 0755), 0);
        Touch(At("a/x.ico"));
        Touch(At("top.ico"));
        TStShellTreeView tree;
        tree.SetRootFolder(tmp_->path());
        tree.SetStartInFolder(tmp_->path());
        auto list = MakeList();
        list->SetOpenDialogMode(true);
        tree.SetListView(list.get());
        list->SetTreeView(&tree);
        int fills = 0;
        list->OnListFilled = [&](QObject*) { ++fills; };
        tree.show();
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        QTRY_VERIFY(tree.Initialised());
        QCOMPARE(list->Controller(), tree.Controller());
        QTRY_VERIFY(list->CurrentFolder() && list->CurrentFolder()->Path() == tmp_->path());
        QCOMPARE(Captions(*list), (QStringList{"a", "top.ico"}));

        // A folder opened in the list is selected in the tree, which leaves
        // the list to fill itself once.
        fills = 0;
        SelectRow(*list, RowOf(*list, "a"));
        list->DblClick();
        QCOMPARE(list->CurrentFolder()->Path(), tmp_->path() + "/a");
        QCOMPARE(tree.SelectedFolder()->Path(), tmp_->path() + "/a");
        QCOMPARE(Captions(*list), (QStringList{"inner", "x.ico"}));
        QTest::qWait(50);
        QCOMPARE(fills, 1);

        // A folder selected in the tree fills the list.
        tree.setCurrentIndex(tree.FindNodeByPath(tmp_->path()));
        QTRY_COMPARE(list->CurrentFolder()->Path(), tmp_->path());
        QCOMPARE(fills, 2);
    }
};

QTEST_MAIN(ShellListViewTest)
#include "ShellListViewTest.moc"

#include "platform/namespace/PathParsing.h"
#include "shell/controls/TStShellTreeView.h"
#include "shell/items/ShellErrors.h"
#include "shell/notify/ShellNotification.h"

#include "tests/shell/items/ShellTestSupport.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

std::string PathOf(const TStShellItem* item)
{
    if (!item)
        return "<none>";
    return item->NativePath().empty() ? item->Path().toStdString() : item->NativePath();
}

QStringList Names(const QAbstractItemModel& model, const QModelIndex& parent)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row)
        names << model.index(row, 0, parent).data().toString();
    return names;
}

// Permission checks as an ordinary user, for this thread: root reads every
// folder whatever its mode.
class Unprivileged {
public:
    Unprivileged() : active_(::geteuid() == 0), old_(active_ ? ::setfsuid(65534) : 0) {}
    ~Unprivileged()
    {
        if (active_)
            ::setfsuid(uid_t(old_));
    }

private:
    bool active_;
    int old_;
};

} // namespace

class TStShellTreeViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> tmp_;
    std::string root_;
    std::vector<std::string> selections_;

    std::string At(const std::string& relative) const { return relative.empty() ? root_ : root_ + "/" + relative; }
    void Mkdir(const std::string& relative) { QCOMPARE(::mkdir(At(relative).c_str(), 0755), 0); }
    void Rename(const std::string& from, const std::string& to)
    {
        QCOMPARE(::rename(At(from).c_str(), At(to).c_str()), 0);
    }

    // A tree over the scratch folder, shown and past its first paint, with
    // every folder selection recorded.
    std::unique_ptr<TStShellTreeView> Show(const std::string& start, TStTreeOptionsSet options = {toExpandTopNode})
    {
        auto tree = std::make_unique<TStShellTreeView>();
        tree->SetOptions(options);
        tree->SetRootFolder(QString::fromStdString(root_));
        tree->SetStartInFolder(QString::fromStdString(start));
        tree->OnFolderSelected = [this](QObject*, TStShellFolder* folder) { selections_.push_back(PathOf(folder)); };
        tree->show();
        if (!QTest::qWaitForWindowExposed(tree.get()))
            return nullptr;
        if (!QTest::qWaitFor([&] { return tree->Initialised(); }))
            return nullptr;
        return tree;
    }
    QModelIndex NodeAt(const TStShellTreeView& tree, const std::string& relative) const
    {
        const auto list = ParseNativePath(At(relative));
        return list ? tree.FindNodeByIdList(*list) : QModelIndex();
    }
    static std::string Selected(const TStShellTreeView& tree) { return PathOf(tree.SelectedFolder()); }

private slots:
    void cleanup()
    {
        // Names that are not valid UTF-8 are beyond QTemporaryDir.
        std::error_code error;
        std::filesystem::remove_all(Native(tmp_->path()), error);
    }

    void init()
    {
        tmp_ = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp_->isValid());
        root_ = Native(tmp_->path());
        ::chmod(root_.c_str(), 0755);
        selections_.clear();
    }

    void startUpExpandsTheChainAndSelectsTheStartFolder_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("selected"); // relative; "-" for no selection
        QTest::addColumn<QStringList>("notified");
        QTest::newRow("below the root") << "a/b" << "a/b" << QStringList{"a/b", "a/b"};
        QTest::newRow("the root") << "" << "" << QStringList{"", ""};
        QTest::newRow("not below the root") << "/" << "-" << QStringList{""};
        QTest::newRow("cannot be parsed") << "missing" << "-" << QStringList{};
    }
    void startUpExpandsTheChainAndSelectsTheStartFolder()
    {
        QFETCH(QString, start);
        QFETCH(QString, selected);
        QFETCH(QStringList, notified);
        Mkdir("a");
        Mkdir("a/b");
        Mkdir("a/b/c");
        Mkdir("d");
        Mkdir("d/e");
        const std::string startPath = start.startsWith('/') ? start.toStdString() : At(start.toStdString());
        auto tree = Show(startPath);
        QVERIFY(tree);
        const QAbstractItemModel& model = *tree->model();
        QVERIFY(tree->isExpanded(model.index(0, 0)));
        QCOMPARE(Names(model, model.index(0, 0)), (QStringList{"a", "d"}));
        if (selected == "-") {
            QVERIFY(tree->selectionModel()->selectedIndexes().isEmpty());
        } else {
            const QModelIndex node = NodeAt(*tree, selected.toStdString());
            QVERIFY(tree->selectionModel()->isSelected(node));
            QCOMPARE(Selected(*tree), At(selected.toStdString()));
        }
        std::vector<std::string> expected;
        for (const QString& n : notified)
            expected.push_back(At(n.toStdString()));
        QCOMPARE(selections_, expected);
        if (start == "a/b") {
            QVERIFY(tree->isExpanded(NodeAt(*tree, "a/b")));
            QCOMPARE(Names(model, NodeAt(*tree, "a/b")), QStringList{"c"});
        }
        // Only the chain is read: d keeps its expand button unread.
        QVERIFY(model.canFetchMore(NodeAt(*tree, "d")));
        QVERIFY(model.hasChildren(NodeAt(*tree, "d")));
    }

    void startUpFromComputerSelectsTheRootDrive()
    {
        TStShellTreeView tree;
        tree.SetSpecialRootFolder(sfDrives);
        tree.SetStartInFolder(QStringLiteral("/"));
        tree.SetOptions({toExpandTopNode, toShowHidden});
        tree.SetFiltered(true);
        tree.OnFilterItem = [](QObject*, TStShellItem* item, bool& accept) { accept = item->IsFileSystemFolder(); };
        tree.OnFolderSelected = [this](QObject*, TStShellFolder* folder) { selections_.push_back(PathOf(folder)); };
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        QTRY_VERIFY(tree.Initialised());
        const QModelIndex computer = tree.model()->index(0, 0);
        QCOMPARE(computer.data().toString(), QStringLiteral("Computer"));
        QVERIFY(tree.isExpanded(computer));
        const QModelIndex system = tree.FindNodeByIdList(*ParseNativePath("/"));
        QVERIFY(tree.isExpanded(system));
        QVERIFY(tree.selectionModel()->isSelected(system));
        QVERIFY(tree.model()->rowCount(system) > 0);
        QCOMPARE(selections_, (std::vector<std::string>{"/", "/"}));
    }

    void filterAndHiddenOptionDecideWhatIsShown_data()
    {
        QTest::addColumn<bool>("filtered");
        QTest::addColumn<bool>("showHidden");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("everything") << false << true << QStringList{".h", ".h2", "a", "n", "skip1", "skip2"};
        QTest::newRow("no hidden") << false << false << QStringList{"a", "n", "skip1", "skip2"};
        QTest::newRow("filtered") << true << true << QStringList{".h", ".h2", "a", "n"};
    }
    void filterAndHiddenOptionDecideWhatIsShown()
    {
        QFETCH(bool, filtered);
        QFETCH(bool, showHidden);
        QFETCH(QStringList, shown);
        Mkdir("a");
        Mkdir("skip1");
        Mkdir(".h");
        TStTreeOptionsSet options{toExpandTopNode};
        if (showHidden)
            options.Include(toShowHidden);
        auto tree = std::make_unique<TStShellTreeView>();
        int asked = 0;
        tree->OnFilterItem = [&](QObject* sender, TStShellItem* item, bool& accept) {
            QCOMPARE(sender, static_cast<QObject*>(tree.get()));
            QVERIFY(accept);
            ++asked;
            accept = !item->DisplayName().startsWith(QLatin1String("skip"));
        };
        tree->SetFiltered(filtered);
        tree->SetOptions(options);
        tree->SetRootFolder(QString::fromStdString(root_));
        tree->show();
        QTRY_VERIFY(tree->Initialised());
        // Folders made by another program follow the same rules.
        Mkdir("skip2");
        Mkdir(".h2");
        Mkdir("n");
        const QModelIndex top = tree->model()->index(0, 0);
        QTRY_COMPARE(Names(*tree->model(), top).size(), shown.size());
        QTest::qWait(100); // nothing more arrives
        QCOMPARE(Names(*tree->model(), top), shown);
        QCOMPARE(asked > 0, filtered);
        // Hidden folders, when shown, are dimmed.
        if (showHidden) {
            QVERIFY(tree->model()->index(0, 0, top).data(Qt::ForegroundRole).isValid());
            QVERIFY(!NodeAt(*tree, "a").data(Qt::ForegroundRole).isValid());
        }
    }

    void expandingReadsChildrenOnceAndDropsAnEmptyExpander()
    {
        Mkdir("a");
        Mkdir("a/x");
        Mkdir("empty");
        Mkdir("g");
        Mkdir("g/.only-hidden");
        auto tree = Show(root_);
        QVERIFY(tree);
        QAbstractItemModel& model = *tree->model();
        QVERIFY(!model.hasChildren(NodeAt(*tree, "empty")));
        int reads = 0;
        tree->OnFilterItem = [&](QObject*, TStShellItem*, bool&) { ++reads; };
        tree->SetFiltered(true); // builds again, reading the root's children
        reads = 0;
        const QModelIndex a = NodeAt(*tree, "a");
        tree->ExpandNode(a);
        QCOMPARE(Names(model, a), QStringList{"x"});
        tree->collapse(a);
        tree->ExpandNode(a);
        tree->expand(a);
        QCOMPARE(reads, 1);
        const QModelIndex g = NodeAt(*tree, "g");
        QVERIFY(model.hasChildren(g));
        tree->expand(g);
        QTRY_VERIFY(!model.canFetchMore(g));
        QVERIFY(!model.hasChildren(g));
    }

    void outsideChangesReachTheTreeAndKeepTheSelection()
    {
        for (const char* name : {"a", "b", "c", "d"})
            Mkdir(name);
        auto tree = Show(root_);
        QVERIFY(tree);
        QAbstractItemModelTester tester(tree->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QModelIndex top = tree->model()->index(0, 0);
        tree->setCurrentIndex(NodeAt(*tree, "b"));
        TStShellFolder* selected = tree->SelectedFolder();
        selections_.clear();

        Mkdir("f10");
        Mkdir("f2");
        QTRY_COMPARE(Names(*tree->model(), top), (QStringList{"a", "b", "c", "d", "f2", "f10"}));
        Rename("c", "e");
        QTRY_COMPARE(Names(*tree->model(), top), (QStringList{"a", "b", "d", "e", "f2", "f10"}));
        Rename("b", "z"); // the selected folder
        QTRY_COMPARE(Names(*tree->model(), top), (QStringList{"a", "d", "e", "f2", "f10", "z"}));
        QCOMPARE(tree->SelectedFolder(), selected);
        QCOMPARE(Selected(*tree), At("z"));
        QVERIFY(tree->selectionModel()->isSelected(NodeAt(*tree, "z")));
        QCOMPARE(::rmdir(At("a").c_str()), 0);
        QTRY_COMPARE(Names(*tree->model(), top), (QStringList{"d", "e", "f2", "f10", "z"}));
        QVERIFY(selections_.empty());

        // Deleting the selected folder selects its next sibling, else its parent.
        tree->setCurrentIndex(NodeAt(*tree, "f2"));
        QCOMPARE(::rmdir(At("f2").c_str()), 0);
        QTRY_COMPARE(Selected(*tree), At("f10"));
        tree->setCurrentIndex(NodeAt(*tree, "z"));
        QCOMPARE(::rmdir(At("z").c_str()), 0);
        QTRY_COMPARE(Selected(*tree), root_);
        QCOMPARE(selections_, (std::vector<std::string>{At("f2"), At("f10"), At("z"), root_}));
    }

    void watchesExactlyTheLoadedFolders()
    {
        Mkdir("a");
        Mkdir("a/x");
        Mkdir("b");
        auto tree = Show(root_);
        QVERIFY(tree);
        const int shown = tree->Watcher()->WatchCount();
        tree->ExpandNode(NodeAt(*tree, "a"));
        tree->ExpandNode(NodeAt(*tree, "a/x"));
        QCOMPARE(tree->Watcher()->WatchCount(), shown + 2);
        // Renamed, the folders stay watched under their new names, and stop
        // being watched when their nodes go.
        Rename("a", "c");
        QTRY_VERIFY(NodeAt(*tree, "c/x").isValid());
        QCOMPARE(tree->Watcher()->WatchCount(), shown + 2);
        tree->Rebuild();
        QCOMPARE(tree->Watcher()->WatchCount(), shown);
    }

    void manyChangesAtOnceAllArrive()
    {
        auto tree = Show(root_);
        QVERIFY(tree);
        // More than the watcher queues at a time.
        for (int i = 0; i < 12; ++i)
            Mkdir("n" + std::to_string(i));
        QTRY_COMPARE(tree->model()->rowCount(tree->model()->index(0, 0)), 12);
    }

    void renameIsMatchedByIdentityNotByCase()
    {
        Mkdir("Foo");
        Mkdir("foo");
        auto tree = Show(root_);
        QVERIFY(tree);
        tree->setCurrentIndex(NodeAt(*tree, "Foo"));
        Rename("foo", "bar");
        const QModelIndex top = tree->model()->index(0, 0);
        QTRY_COMPARE(Names(*tree->model(), top), (QStringList{"bar", "Foo"}));
        QCOMPARE(Selected(*tree), At("Foo"));
        QCOMPARE(PathOf(tree->Model()->FolderOf(tree->Model()->NodeOf(NodeAt(*tree, "bar")))), At("bar"));
    }

    void deletingALoadedSubtreeSelectsOutsideItAndFreesIt_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::newRow("the folder itself") << "a";
        QTest::newRow("a folder inside it") << "a/x";
    }
    void deletingALoadedSubtreeSelectsOutsideItAndFreesIt()
    {
        QFETCH(QString, selected);
        Mkdir("a");
        Mkdir("a/x");
        Mkdir("a/x/y");
        Mkdir("a/x/y/z");
        Mkdir("b");
        auto tree = Show(At("a/x/y"));
        QVERIFY(tree);
        QAbstractItemModelTester tester(tree->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        tree->setCurrentIndex(NodeAt(*tree, selected.toStdString()));
        selections_.clear();
        // Moved out of sight at once: one deletion for a folder whose
        // children are loaded.
        QTemporaryDir elsewhere;
        QCOMPARE(::rename(At("a").c_str(), (Native(elsewhere.path()) + "/a").c_str()), 0);
        QTRY_COMPARE(Selected(*tree), At("b"));
        QCOMPARE(selections_, std::vector<std::string>{At("b")});
        QVERIFY(!tree->FindNodeByPath(QString::fromStdString(At("a"))).isValid());
        for (const auto& item : tree->Model()->Folders())
            QVERIFY(!item || PathOf(item.get()).rfind(At("a"), 0) != 0);
    }

    void selectingAChildByNameMatchesTheIdListFirst()
    {
        // Two names that show alike: neither is valid UTF-8.
        Mkdir("bad\xff");
        Mkdir("bad\xfe");
        auto tree = Show(root_);
        QVERIFY(tree);
        QCOMPARE(tree->model()->rowCount(tree->model()->index(0, 0)), 2);
        // The second of the two in the tree's order: a match by name would
        // take the first.
        const TStShellItem item(*ParseNativePath(At("bad\xff")));
        selections_.clear();
        QVERIFY(tree->SelectChildByName(item));
        QCOMPARE(Selected(*tree), At("bad\xff"));
        QCOMPARE(selections_, std::vector<std::string>{At("bad\xff")});
        QVERIFY(!tree->SuppressListRefresh());
        // Already selected: nothing moves, and nothing lingers to swallow the
        // next selection.
        QVERIFY(tree->SelectByIdList(item.AbsoluteIdList()));
        QVERIFY(!tree->SuppressListRefresh());
        QCOMPARE(selections_.size(), std::size_t(1));

        // The other one goes; the right node goes with it.
        QCOMPARE(::rmdir(At("bad\xfe").c_str()), 0);
        QTRY_COMPARE(tree->model()->rowCount(tree->model()->index(0, 0)), 1);
        QCOMPARE(Selected(*tree), At("bad\xff"));
    }

    void aFolderThatVanishesWhileShown()
    {
        Mkdir("gone");
        Mkdir("gone/sub");
        auto tree = Show(root_);
        QVERIFY(tree);
        const QPersistentModelIndex gone = NodeAt(*tree, "gone");
        QVERIFY(tree->model()->hasChildren(gone));
        QVERIFY(QDir(QString::fromStdString(At("gone"))).removeRecursively());
        // Expanded before the watcher says it went: nothing to read.
        tree->ExpandNode(gone);
        QCOMPARE(tree->model()->rowCount(gone), 0);
        QVERIFY(!tree->model()->hasChildren(gone));
        QTRY_VERIFY(!gone.isValid());

        // A root that cannot be parsed empties the tree.
        QVERIFY_THROWS_EXCEPTION(EStInvalidFolder, tree->SetRootFolder(QString::fromStdString(At("gone"))));
        QCOMPARE(tree->model()->rowCount(), 0);
        QCOMPARE(tree->RootItem(), nullptr);
        QCOMPARE(tree->SelectedFolder(), nullptr);
    }

    void unreadableAndLoopingFoldersAreHarmless()
    {
        Mkdir("locked");
        Mkdir("locked/inner");
        QCOMPARE(::chmod(At("locked").c_str(), 0), 0);
        QCOMPARE(::symlink("loop", At("loop").c_str()), 0);
        QCOMPARE(::symlink(".", At("self").c_str()), 0);
        auto tree = Show(root_);
        QVERIFY(tree);
        QAbstractItemModel& model = *tree->model();
        QCOMPARE(Names(model, model.index(0, 0)), (QStringList{"locked", "self"}));
        {
            Unprivileged user;
            tree->ExpandNode(NodeAt(*tree, "locked"));
        }
        QCOMPARE(model.rowCount(NodeAt(*tree, "locked")), 0);
        QVERIFY(!model.hasChildren(NodeAt(*tree, "locked")));
        // A link to its own folder opens one level per expansion.
        QModelIndex self = NodeAt(*tree, "self");
        for (int level = 0; level < 3; ++level) {
            tree->ExpandNode(self);
            QCOMPARE(Names(model, self), (QStringList{"locked", "self"}));
            self = model.index(1, 0, self);
        }
        ::chmod(At("locked").c_str(), 0755);
    }

    void renamingInPlaceNeverReplacesAnItem()
    {
        Mkdir("a");
        Mkdir("b");
        auto tree = Show(root_, {toExpandTopNode, toAllowRename, toAllowDrag});
        QVERIFY(tree);
        QAbstractItemModel& model = *tree->model();
        const QModelIndex a = NodeAt(*tree, "a");
        QVERIFY(model.flags(a) & Qt::ItemIsEditable);
        QVERIFY(!model.setData(a, QStringLiteral("b")));
        QVERIFY(!model.setData(a, QStringLiteral("x/y")));
        QVERIFY(model.setData(a, QStringLiteral("n\xe9")));
        QVERIFY(::access(At("a").c_str(), F_OK) != 0);
        QCOMPARE(Names(model, model.index(0, 0)), (QStringList{"b", QStringLiteral("n\xe9")}));

        // Dragged out, a name keeps its bytes.
        Mkdir("q\xff");
        QTRY_VERIFY(NodeAt(*tree, "q\xff").isValid());
        std::unique_ptr<QMimeData> data(model.mimeData({NodeAt(*tree, "q\xff")}));
        const QByteArray uri = data->data(QStringLiteral("text/uri-list"));
        QVERIFY2(uri.endsWith("/q%FF\r\n") && uri.startsWith("file:///"), uri.constData());
    }
};

QTEST_MAIN(TStShellTreeViewTest)
#include "TStShellTreeViewTest.moc"

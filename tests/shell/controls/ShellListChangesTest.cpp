// The file list following its folder: changes made by other programs are
// read again on a worker thread, so these tests also run under
// ThreadSanitizer (as a GoogleTest program: QtTest's own watchdog thread
// trips it).

#include "tests/shell/controls/ListTestSupport.h"

#include <QApplication>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace orbisk;
using namespace orbisk::test;

namespace {

bool WaitFor(const std::function<bool()>& done)
{
    return QTest::qWaitFor(done, 5000);
}

class ShellListChanges : public ::testing::Test, protected ListFolder {
protected:
    static void SetUpTestSuite() { app_ = new QApplication(argc_, argv_); }
    static void TearDownTestSuite()
    {
        delete app_;
        app_ = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(NewFolder()); }

private:
    static inline int argc_ = 1;
    static inline char name_[] = "shell_list_changes_tests";
    static inline char* argv_[] = {name_, nullptr};
    static inline QApplication* app_ = nullptr;
};

} // namespace

TEST_F(ShellListChanges, OutsideChangesReachTheListAndKeepTheSelection)
{
    Touch(At("keep.ico"));
    Touch(At("old.ico"));
    ASSERT_EQ(::mkdir(At("sub").c_str(), 0755), 0);
    auto list = MakeList(TViewStyle::vsReport);
    std::vector<TStNotifyEventsSet> told;
    list->OnShellChangeNotify = [&](QObject* sender, TStShellItem*, TStShellItem*, TStNotifyEventsSet events) {
        ASSERT_EQ(sender, list.get());
        told.push_back(events);
    };
    list->SetRootFolder(tmp_->path());
    SelectRow(*list, RowOf(*list, "keep.ico"));
    ASSERT_EQ(list->CurrentItem()->DisplayName(), QStringLiteral("keep.ico"));

    Touch(At("new.ico"));
    ASSERT_EQ(::mkdir(At("dir2").c_str(), 0755), 0);
    ASSERT_EQ(::rename(At("old.ico").c_str(), At("renamed.ico").c_str()), 0);
    ASSERT_EQ(::rename(At("sub").c_str(), At("sub2").c_str()), 0);
    ASSERT_TRUE(WaitFor([&] {
        return Captions(*list) == (QStringList{"dir2", "sub2", "keep.ico", "new.ico", "renamed.ico"});
    }));
    ASSERT_TRUE(WaitFor([&] { return !list->RefreshPending(); }));
    ASSERT_TRUE(!told.empty());
    ASSERT_EQ(list->SelectedItems().size(), std::size_t(1));
    ASSERT_EQ(list->SelectedItems().front()->DisplayName(), QStringLiteral("keep.ico"));
    ASSERT_EQ(list->CurrentItem(), list->SelectedItems().front());
    ASSERT_EQ(Cell(*list, RowOf(*list, "dir2"), 2), QStringLiteral("File Folder"));

    ASSERT_EQ(::unlink(At("new.ico").c_str()), 0);
    ASSERT_EQ(::rmdir(At("dir2").c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return Captions(*list) == (QStringList{"sub2", "keep.ico", "renamed.ico"}); }));
    ASSERT_TRUE(WaitFor([&] { return !list->RefreshPending(); }));
    ASSERT_EQ(list->SelectedItems().front()->DisplayName(), QStringLiteral("keep.ico"));
}

// Many changes at once reach the list as a bare update of its folder, which
// must read the folder again like any other change.
TEST_F(ShellListChanges, ABareFolderUpdateReadsTheFolderAgain)
{
    auto list = MakeList();
    list->SetRootFolder(tmp_->path());
    bool bare = false;
    list->OnShellChangeNotify = [&](QObject*, TStShellItem*, TStShellItem*, TStNotifyEventsSet events) {
        bare = bare || events == TStNotifyEventsSet{neFolderUpdate};
    };
    for (int i = 0; i < 300; ++i)
        Touch(At(("f" + std::to_string(i) + ".ico").c_str()));
    ASSERT_TRUE(WaitFor([&] { return Captions(*list).size() == 300 && !list->RefreshPending(); }));
    ASSERT_TRUE(bare);
}

TEST_F(ShellListChanges, RefreshFindsTheSameItemBeforeOneThatHoldsItsName)
{
    WriteFile(At("icon.ico"), 10);
    WriteFile(At("myicon.ico"), 0);
    auto list = MakeList(TViewStyle::vsReport);
    list->SetRootFolder(tmp_->path());
    list->ColumnClick(1); // by size: myicon.ico (0 bytes) comes first
    ASSERT_EQ(Captions(*list), (QStringList{"myicon.ico", "icon.ico"}));
    SelectRow(*list, 1);
    TStShellItem* before = list->CurrentItem();
    ASSERT_EQ(before->DisplayName(), QStringLiteral("icon.ico"));

    list->Refresh();
    ASSERT_EQ(list->SelectedItems().size(), std::size_t(1));
    ASSERT_EQ(list->SelectedItems().front()->DisplayName(), QStringLiteral("icon.ico"));
    // CurrentItem follows to the re-read item of the same file.
    ASSERT_TRUE(list->CurrentItem());
    ASSERT_EQ(list->CurrentItem()->DisplayName(), QStringLiteral("icon.ico"));
    ASSERT_EQ(list->Model()->RowOfItem(list->CurrentItem()), 1);

    // Gone: the first caption that holds the old one takes its place.
    ASSERT_EQ(::unlink(At("icon.ico").c_str()), 0);
    list->Refresh();
    ASSERT_TRUE(WaitFor([&] { return !list->RefreshPending(); }));
    ASSERT_EQ(list->SelectedItems().front()->DisplayName(), QStringLiteral("myicon.ico"));
}

TEST_F(ShellListChanges, CurrentItemNeverOutlivesAFill)
{
    Touch(At("a.ico"));
    ASSERT_EQ(::mkdir(At("sub").c_str(), 0755), 0);
    Touch(At("sub/inner.ico"));
    auto list = MakeList();
    list->SetRootFolder(tmp_->path());
    SelectRow(*list, RowOf(*list, "a.ico"));
    ASSERT_TRUE(list->CurrentItem());

    // Another folder: nothing there has the same identity.
    list->SetRootFolder(tmp_->path() + "/sub");
    ASSERT_TRUE(!list->CurrentItem());
    ASSERT_EQ(Captions(*list), QStringList{"inner.ico"});

    // The same folder again: the re-read item of the same file.
    SelectRow(*list, 0);
    list->SetRootFolder(tmp_->path() + "/sub");
    ASSERT_TRUE(list->CurrentItem());
    ASSERT_EQ(list->CurrentItem()->DisplayName(), QStringLiteral("inner.ico"));
    ASSERT_EQ(list->Model()->RowOfItem(list->CurrentItem()), 0);

    list->SetRootFolder(QString());
    ASSERT_TRUE(!list->CurrentItem());
}

TEST_F(ShellListChanges, AFolderThatVanishesWhileShownEmptiesTheList)
{
    ASSERT_EQ(::mkdir(At("shown").c_str(), 0755), 0);
    Touch(At("shown/a.ico"));
    Touch(At("shown/b.ico"));
    auto list = MakeList(TViewStyle::vsReport);
    list->SetRootFolder(tmp_->path() + "/shown");
    SelectRow(*list, 1);
    ASSERT_EQ(::unlink(At("shown/a.ico").c_str()), 0);
    ASSERT_EQ(::unlink(At("shown/b.ico").c_str()), 0);
    ASSERT_EQ(::rmdir(At("shown").c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return list->Model()->rowCount() == 0; }));
    ASSERT_TRUE(WaitFor([&] { return !list->RefreshPending(); }));
    ASSERT_TRUE(!list->CurrentItem());
    list->Refresh();
    ASSERT_EQ(list->Model()->rowCount(), 0);
}

TEST_F(ShellListChanges, NamesThatAreNotUtf8KeepTheirBytes)
{
    Touch(At("bad\xff.ico"));
    Touch(At("bad\xfe.ico")); // shown with the same caption
    Touch(At("good.ico"));
    auto list = MakeList(TViewStyle::vsReport);
    list->SetRootFolder(tmp_->path());
    ASSERT_EQ(list->Model()->rowCount(), 3);
    const QString shown = QStringLiteral("bad\uFFFD.ico");
    ASSERT_EQ(Captions(*list).count(shown), 2);

    int row = -1;
    for (int r = 0; r < 3; ++r)
        if (list->Model()->ItemAtRow(r)->NativePath() == At("bad\xfe.ico"))
            row = r;
    ASSERT_TRUE(row >= 0);
    SelectRow(*list, row);
    list->Refresh();
    ASSERT_EQ(list->SelectedItems().front()->NativePath(), At("bad\xfe.ico"));
    ASSERT_EQ(list->CurrentItem()->NativePath(), At("bad\xfe.ico"));
    for (int column = 1; column <= 4; ++column)
        list->ColumnClick(column); // sorting copes with them too
    ASSERT_EQ(list->Model()->rowCount(), 3);

    // Dragged out, the file's URL keeps its bytes.
    row = list->Model()->RowOfItem(list->CurrentItem());
    std::unique_ptr<QMimeData> dragged(list->Model()->mimeData({list->Model()->index(row, 0)}));
    ASSERT_TRUE(dragged);
    ASSERT_EQ(dragged->urls().size(), 1);
    ASSERT_TRUE(dragged->urls().first().toEncoded().endsWith("/bad%FE.ico"));
    // The temporary folder cannot remove names it cannot decode.
    ::unlink(At("bad\xff.ico").c_str());
    ::unlink(At("bad\xfe.ico").c_str());
}

TEST_F(ShellListChanges, RenamingInPlaceNeverReplacesAnotherFile)
{
    WriteFile(At("a.ico"), 10);
    WriteFile(At("b.ico"), 20);
    auto list = MakeList();
    list->SetRootFolder(tmp_->path());
    const QModelIndex a = list->Model()->index(RowOf(*list, "a.ico"), 0);
    ASSERT_TRUE(list->Model()->flags(a) & Qt::ItemIsEditable);

    ASSERT_TRUE(!list->Model()->setData(a, QStringLiteral("b.ico"))); // taken
    ASSERT_TRUE(!list->Model()->setData(a, QStringLiteral("x/y.ico")));
    ASSERT_TRUE(list->Model()->setData(a, QStringLiteral("c.ico")));
    struct stat st {};
    ASSERT_EQ(::stat(At("b.ico").c_str(), &st), 0);
    ASSERT_EQ(st.st_size, off_t(20));
    ASSERT_EQ(::stat(At("c.ico").c_str(), &st), 0);
    ASSERT_EQ(st.st_size, off_t(10));
    ASSERT_TRUE(WaitFor([&] { return Captions(*list) == (QStringList{"b.ico", "c.ico"}); }));

    // Read-only captions, or no renaming among the options: no editing.
    list->SetOptions({});
    ASSERT_TRUE(!(list->Model()->flags(list->Model()->index(0, 0)) & Qt::ItemIsEditable));
}

// A read of the old folder still under way when another folder is shown
// must not put the old folder's items back; a list destroyed while
// reading must not be called back.
TEST_F(ShellListChanges, AReadUnderWayNeverOutlivesTheFolderItWasFor)
{
    ASSERT_EQ(::mkdir(At("busy").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(At("other").c_str(), 0755), 0);
    Touch(At("other/only.ico"));
    for (int round = 0; round < 2; ++round) {
        auto list = MakeList(TViewStyle::vsReport);
        list->SetRootFolder(tmp_->path() + "/busy");
        bool reading = false;
        list->OnShellChangeNotify = [&](QObject*, TStShellItem*, TStShellItem*, TStNotifyEventsSet) {
            if (std::exchange(reading, true))
                return;
            ASSERT_TRUE(list->RefreshPending()); // the read has started
            if (round == 0)
                list->SetRootFolder(tmp_->path() + "/other");
        };
        for (int i = 0; i < 300; ++i)
            Touch(root_ + "/busy/f" + std::to_string(round) + "_" + std::to_string(i));
        ASSERT_TRUE(WaitFor([&] { return reading; }));
        if (round == 1)
            continue; // destroyed while reading
        ASSERT_TRUE(!list->RefreshPending());
        QTest::qWait(200);
        ASSERT_EQ(Captions(*list), QStringList{"only.ico"});
    }
}

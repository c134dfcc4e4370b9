#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"
#include "shell/items/ShellController.h"
#include "shell/items/RootFolders.h"

#include "tests/shell/items/ShellTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

// A folder with a file, a hidden file, a sub-folder (holding a folder), a
// hidden folder, and links to a file, to a folder and to nothing.
class FolderEnumeration : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp_.isValid());
        root_ = Native(tmp_.path());
        Touch(root_ + "/icon.ico");
        Touch(root_ + "/.hidden.txt");
        ASSERT_EQ(::mkdir((root_ + "/sub").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((root_ + "/sub/deeper").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((root_ + "/.git").c_str(), 0755), 0);
        ASSERT_EQ(::symlink("icon.ico", (root_ + "/link.ico").c_str()), 0);
        ASSERT_EQ(::symlink("sub", (root_ + "/linkdir").c_str()), 0);
        ASSERT_EQ(::symlink("nowhere", (root_ + "/dangling").c_str()), 0);
        folder_ = ParseFolderPath(tmp_.path());
    }

    std::vector<QString> Names(const Collector& c) const
    {
        std::vector<QString> names;
        for (const auto& item : c.items)
            names.push_back(item->DisplayName());
        std::sort(names.begin(), names.end());
        return names;
    }

    QTemporaryDir tmp_;
    std::string root_;
    ItemIdList folder_;
    TStCustomShellController controller_;
};

} // namespace

TEST_F(FolderEnumeration, ListsAndTreesAskForWhatTheirOptionsSay)
{
    Collector list;
    EXPECT_EQ(controller_.EnumerateFolder(folder_, list), 5);
    EXPECT_EQ(Names(list), (std::vector<QString>{"dangling", "icon.ico", "link.ico", "linkdir", "sub"}));
    Collector hiddenToo;
    hiddenToo.hidden = true;
    controller_.EnumerateFolder(folder_, hiddenToo);
    EXPECT_TRUE(hiddenToo.Find(QStringLiteral(".hidden.txt")));
    EXPECT_TRUE(hiddenToo.Find(QStringLiteral(".git")));
    EXPECT_TRUE(hiddenToo.Find(QStringLiteral(".git"))->IsHidden());

    Collector tree;
    tree.kind = TStConsumerKind::Tree;
    controller_.EnumerateFolder(folder_, tree);
    EXPECT_EQ(Names(tree), (std::vector<QString>{"linkdir", "sub"}));
    EXPECT_TRUE(dynamic_cast<TStShellFolder*>(tree.items[0].get()));
    EXPECT_TRUE(tree.AttributesOf(QStringLiteral("sub")) & AttrHasSubFolder);

    Collector treeWithFiles;
    treeWithFiles.kind = TStConsumerKind::Tree;
    treeWithFiles.files = true;
    controller_.EnumerateFolder(folder_, treeWithFiles);
    EXPECT_TRUE(treeWithFiles.Find(QStringLiteral("icon.ico")));
    EXPECT_FALSE(treeWithFiles.Find(QStringLiteral(".git")));
}

TEST_F(FolderEnumeration, ItemsCarryIdentityFlagsAndIcons)
{
    Collector list;
    list.optimization = otDisplay;
    controller_.EnumerateFolder(folder_, list);
    const TStShellItem* icon = list.Find(QStringLiteral("icon.ico"));
    ASSERT_TRUE(icon);
    EXPECT_TRUE(icon->IsFileSystemFile());
    EXPECT_FALSE(icon->IsFileSystemFolder());
    EXPECT_EQ(icon->AbsoluteIdList(), ParseFolderPath(tmp_.path() + QStringLiteral("/icon.ico")));
    EXPECT_EQ(icon->RelativeIdList().Count(), 1);
    EXPECT_EQ(icon->Path(), tmp_.path() + QStringLiteral("/icon.ico"));
    EXPECT_EQ(icon->ParentFolder()->IdList(), folder_);
    EXPECT_NE(icon->ImageIndex(), -1);
    EXPECT_EQ(icon->OverlayIndex(), -1);

    // Links: overlay 1; a link to a folder is a folder, a dangling one a file.
    const TStShellItem* link = list.Find(QStringLiteral("link.ico"));
    EXPECT_EQ(link->OverlayIndex(), 1);
    EXPECT_TRUE(link->IsLink());
    EXPECT_EQ(link->ImageIndex(), icon->ImageIndex()); // one image per distinct icon
    const TStShellItem* linkdir = list.Find(QStringLiteral("linkdir"));
    EXPECT_TRUE(linkdir->IsFileSystemFolder());
    EXPECT_EQ(linkdir->OverlayIndex(), 1);
    EXPECT_NE(linkdir->OpenImageIndex(), linkdir->ImageIndex());
    EXPECT_TRUE(list.Find(QStringLiteral("dangling"))->IsFileSystemFile());
    EXPECT_FALSE(list.Find(QStringLiteral("sub"))->IsLink());

    // Names only: icons are left for the row to fetch.
    Collector namesOnly;
    controller_.EnumerateFolder(folder_, namesOnly);
    EXPECT_EQ(namesOnly.Find(QStringLiteral("icon.ico"))->ImageIndex(), -1);
}

TEST_F(FolderEnumeration, FilterIsAskedOnlyWhenFilteredWithAcceptPresetTrue)
{
    int asked = 0;
    bool allPresetTrue = true;
    Collector list;
    list.OnFilterItem = [&](QObject*, TStShellItem* item, bool& accept) {
        ++asked;
        allPresetTrue = allPresetTrue && accept;
        accept = item->IsFileSystemFolder();
    };
    controller_.EnumerateFolder(folder_, list);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(list.items.size(), 5u);

    Collector filtered;
    filtered.filtered = true;
    filtered.OnFilterItem = list.OnFilterItem;
    EXPECT_EQ(controller_.EnumerateFolder(folder_, filtered), 2);
    EXPECT_EQ(asked, 5);
    EXPECT_TRUE(allPresetTrue);
    EXPECT_EQ(Names(filtered), (std::vector<QString>{"linkdir", "sub"}));
}

TEST_F(FolderEnumeration, GoneAndNonFolderItemsYieldNothingWithoutError)
{
    const std::string gone = root_ + "/sub/deeper";
    const ItemIdList list = ParseFolderPath(tmp_.path() + QStringLiteral("/sub/deeper"));
    const TStShellFolder item(list);
    ASSERT_EQ(::rmdir(gone.c_str()), 0);
    Collector c;
    EXPECT_EQ(controller_.EnumerateFolder(list, c), 0);
    EXPECT_EQ(controller_.EnumerateFolder(item, c), 0);
    EXPECT_TRUE(c.items.empty());
    EXPECT_FALSE(controller_.HasFolderEnumerator(item, EnumFolders, false));

    // A file is reached through its parent but is no folder to list.
    EXPECT_EQ(controller_.EnumerateFolder(ParseFolderPath(tmp_.path() + QStringLiteral("/icon.ico")), c), 0);
    EXPECT_EQ(controller_.EnumerateFolder(TStShellItem(), c), 0);
}

TEST_F(FolderEnumeration, DesktopIsListedThroughItselfAndComputerHoldsTheRoot)
{
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", tmp_.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    ASSERT_EQ(::mkdir((root_ + "/Desktop").c_str(), 0755), 0);
    Touch(root_ + "/Desktop/notes.txt");

    Collector desktop;
    controller_.EnumerateFolder(ItemIdList(), desktop);
    qputenv("HOME", oldHome);
    if (!oldConfig.isEmpty())
        qputenv("XDG_CONFIG_HOME", oldConfig);

    ASSERT_GE(desktop.items.size(), 3u);
    EXPECT_EQ(desktop.items[0]->DisplayName(), QStringLiteral("Computer"));
    EXPECT_EQ(desktop.items[1]->DisplayName(), QStringLiteral("Home"));
    EXPECT_TRUE(desktop.items[1]->IsFileSystemFolder());
    const TStShellItem* notes = desktop.Find(QStringLiteral("notes.txt"));
    ASSERT_TRUE(notes);
    EXPECT_TRUE(notes->IsFileSystemFile());
    for (const auto& item : desktop.items)
        EXPECT_EQ(item->ParentFolder(), controller_.DesktopFolder());

    Collector computer;
    controller_.EnumerateFolder(ComputerIdList(), computer);
    ASSERT_FALSE(computer.items.empty());
    EXPECT_EQ(computer.items[0]->DisplayName(), QStringLiteral("File System"));
    EXPECT_EQ(computer.items[0]->Path(), QStringLiteral("/"));
    EXPECT_TRUE(computer.items[0]->IsFileSystemFolder());
    EXPECT_EQ(computer.items[0]->AbsoluteIdList(), ParseFolderPath(QStringLiteral("/")));
}

TEST_F(FolderEnumeration, ShellOrderPutsFoldersFirstThenNaturalNames)
{
    for (const char* n : {"file10.ico", "File2.ico", "file1.ico"})
        Touch(root_ + "/" + n);
    Collector list;
    controller_.EnumerateFolder(folder_, list);
    const auto folder = controller_.BindFolder(folder_);
    std::vector<const TStShellItem*> sorted;
    for (const auto& item : list.items)
        sorted.push_back(item.get());
    std::sort(sorted.begin(), sorted.end(), [&](auto* a, auto* b) {
        return folder->CompareIDs(0, a->RelativeIdList(), b->RelativeIdList()) < 0;
    });
    std::vector<QString> names;
    for (auto* item : sorted)
        names.push_back(item->DisplayName());
    EXPECT_EQ(names, (std::vector<QString>{"linkdir", "sub", "dangling", "file1.ico", "File2.ico", "file10.ico",
                                           "icon.ico", "link.ico"}));
    // The desktop compares absolute lists: Computer before the home folder.
    const auto desktop = controller_.DesktopFolder();
    EXPECT_LT(desktop->CompareIDs(0, ComputerIdList(), ItemIdList::Element(IdKind::Home)), 0);
    EXPECT_LT(desktop->CompareIDs(0, DriveIdList("/"), DriveIdList("/a")), 0);
}

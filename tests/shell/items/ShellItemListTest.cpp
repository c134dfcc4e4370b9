#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/FolderRoles.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"
#include "platform/namespace/SystemImageList.h"
#include "shell/items/ShellItemList.h"
#include "shell/items/RootFolders.h"

#include "tests/shell/items/ShellTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <fstream>
#include <sys/stat.h>

using namespace orbisk;
using namespace orbisk::test;

TEST(ShellItemList, OwnsItemsKeepsIndexesAndAnswersNothingPastTheEnd)
{
    TStShellFolderList list;
    EXPECT_EQ(list.Add(std::make_unique<TStShellItem>(ComputerIdList())), 0);
    EXPECT_EQ(list.Add(std::make_unique<TStShellFolder>(DriveIdList("/"))), 1);
    EXPECT_EQ(list.Add(std::make_unique<TStShellFolder>(ItemIdList())), 2);
    EXPECT_EQ(list.Items(1)->OwnerList(), &list);
    EXPECT_EQ(list.Items(3), nullptr);
    EXPECT_EQ(list.Items(-1), nullptr);
    EXPECT_EQ(list.Folders(0), nullptr); // the root's item is a plain item
    ASSERT_NE(list.Folders(1), nullptr);

    // Freeing one item leaves the others where their nodes expect them.
    list.Free(1);
    EXPECT_EQ(list.Items(1), nullptr);
    EXPECT_TRUE(list.Items(2)->IsDesktop());
    const auto taken = list.Extract(2);
    EXPECT_EQ(taken->OwnerList(), nullptr);
    EXPECT_EQ(list.Count(), 3);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Items(0), nullptr);
}

TEST(SystemImageList, IndexesEachIconOnceAndDrawsAtBothSizes)
{
    const int a = SystemIconIndex(QStringLiteral("x-test-icon"), QString(), IconShape::File);
    const int b = SystemIconIndex(QStringLiteral("x-test-icon"), QString(), IconShape::File);
    const int c = SystemIconIndex(QStringLiteral("x-test-other"), QString(), IconShape::Folder);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(SystemImageList::Small().Count(), SystemImageList::Large().Count());
    // No GUI application here: the drawn shapes stand in for the theme.
    EXPECT_EQ(SystemImageList::Small().Image(a).size(), QSize(16, 16));
    EXPECT_EQ(SystemImageList::Large().Image(c).size(), QSize(32, 32));
    EXPECT_TRUE(SystemImageList::Small().Image(-1).isNull());
    EXPECT_TRUE(SystemImageList::Small().Image(1 << 20).isNull());
    EXPECT_FALSE(SystemImageList::Large().Overlay(1).isNull());
}

TEST(SpecialFolders, FollowTheUsersXdgFolders)
{
    QTemporaryDir home;
    const std::string root = Native(home.path());
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    // A relative configuration folder is ignored, here as for the settings
    // file: the user-dirs file is the one in ~/.config.
    qputenv("XDG_CONFIG_HOME", "relative/config");
    ASSERT_EQ(::mkdir((root + "/Documents").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((root + "/Vorlagen").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((root + "/.config").c_str(), 0755), 0);
    std::ofstream(root + "/.config/user-dirs.dirs") << "XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n";

    const auto personal = SpecialRootFolderIdList(sfPersonal);
    const auto templates = SpecialRootFolderIdList(sfTemplates);
    const auto trash = SpecialRootFolderIdList(sfBitBucket); // no trash folder yet
    qputenv("HOME", oldHome);
    if (oldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);

    ASSERT_TRUE(personal);
    EXPECT_EQ(NativePathOf(*personal), root + "/Documents");
    ASSERT_TRUE(templates);
    EXPECT_EQ(NativePathOf(*templates), root + "/Vorlagen");
    EXPECT_FALSE(trash);
}

TEST(ShellFolder, FindDataDescribesTheItemOnDisk)
{
    QTemporaryDir tmp;
    const std::string root = Native(tmp.path());
    std::ofstream(root + "/five.bin") << "12345";
    ASSERT_EQ(::mkdir((root + "/dir").c_str(), 0755), 0);
    const auto folder = SHGetDesktopFolder()->BindToObject(ParseFolderPath(tmp.path()));
    ASSERT_TRUE(folder);
    const auto file = GetFindData(*folder, ItemIdList::Element(IdKind::Name, "five.bin"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size, 5);
    EXPECT_FALSE(file->directory);
    EXPECT_GT(file->modified, 0);
    EXPECT_TRUE(GetFindData(*folder, ItemIdList::Element(IdKind::Name, "dir"))->directory);
    EXPECT_FALSE(GetFindData(*folder, ItemIdList::Element(IdKind::Name, "gone")));
    EXPECT_FALSE(SHGetDesktopFolder()->BindToObject(ParseFolderPath(tmp.path() + QStringLiteral("/five.bin"))));
}

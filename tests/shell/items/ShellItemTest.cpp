#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"
#include "shell/items/ShellController.h"
#include "shell/items/ShellErrors.h"
#include "shell/items/ShellItem.h"
#include "shell/items/RootFolders.h"

#include "tests/shell/items/ShellTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orbisk;
using namespace orbisk::test;

TEST(ShellNamespace, ParsesExistingPathsIntoDriveChains)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const std::string root = Native(tmp.path());
    ASSERT_EQ(::mkdir((root + "/a").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((root + "/a/b").c_str(), 0755), 0);
    Touch(root + "/a/b/f.ico");

    const ItemIdList slash = ParseFolderPath(QStringLiteral("/"));
    EXPECT_EQ(slash, DriveIdList("/"));
    EXPECT_EQ(ParsingNameOf(slash), QStringLiteral("/"));

    const ItemIdList nested = ParseFolderPath(tmp.path() + QStringLiteral("/a/b"));
    EXPECT_EQ(RoleOf(nested), NamespaceRole::FileSystem);
    EXPECT_EQ(NativePathOf(nested), root + "/a/b");
    EXPECT_EQ(DisplayNameOf(nested), QStringLiteral("b"));
    // The same folder however it is spelt.
    EXPECT_EQ(ParseFolderPath(tmp.path() + QStringLiteral("//a/./c/../b/")), nested);

    const ItemIdList file = ParseFolderPath(tmp.path() + QStringLiteral("/a/b/f.ico"));
    EXPECT_EQ(file.WithoutLast(), nested);
    EXPECT_EQ(ParseFolderPath(QString::fromLatin1(ComputerParsingName.data())), ComputerIdList());

    EXPECT_THROW(ParseFolderPath(tmp.path() + QStringLiteral("/missing")), EStInvalidFolder);
    EXPECT_THROW(ParseFolderPath(QStringLiteral("relative/path")), EStInvalidFolder);
    EXPECT_THROW(ParseFolderPath(QString()), EStInvalidFolder);
    // A path longer than the kernel takes is refused, never shortened.
    EXPECT_FALSE(ParseNativePath("/" + std::string(MaxPathBytes, 'x')));
    try {
        ParseFolderPath(QStringLiteral("/no/such/folder"));
    } catch (const EStInvalidFolder& e) {
        EXPECT_STREQ(e.what(), "Invalid folder");
    }
}

TEST(ShellNamespace, ItemsSayWhetherTheyAreFileSystemFoldersOrFiles)
{
    QTemporaryDir tmp;
    const std::string root = Native(tmp.path());
    Touch(root + "/plain.txt");
    ASSERT_EQ(::mkdir((root + "/sub").c_str(), 0755), 0);

    const TStShellItem folder(ParseFolderPath(tmp.path() + QStringLiteral("/sub")));
    EXPECT_TRUE(folder.IsFileSystem());
    EXPECT_TRUE(folder.IsFileSystemFolder());
    EXPECT_FALSE(folder.IsFileSystemFile());
    EXPECT_TRUE(folder.IsFolder());
    EXPECT_EQ(folder.Path(), tmp.path() + QStringLiteral("/sub"));
    EXPECT_NE(folder.OpenImageIndex(), -1);

    const TStShellItem file(ParseFolderPath(tmp.path() + QStringLiteral("/plain.txt")));
    EXPECT_TRUE(file.IsFileSystemFile());
    EXPECT_FALSE(file.IsFileSystemFolder());
    EXPECT_FALSE(file.IsFolder());
    EXPECT_EQ(file.OpenImageIndex(), file.ImageIndex());
    EXPECT_EQ(file.OverlayIndex(), -1);

    const TStShellItem computer(ComputerIdList());
    EXPECT_FALSE(computer.IsFileSystem());
    EXPECT_FALSE(computer.IsFileSystemFolder());
    EXPECT_FALSE(computer.IsFileSystemFile());
    EXPECT_TRUE(computer.IsFolder());
    EXPECT_EQ(computer.DisplayName(), QStringLiteral("Computer"));

    const TStShellItem desktop{ItemIdList()};
    EXPECT_TRUE(desktop.IsDesktop());
    EXPECT_EQ(desktop.DisplayName(), QStringLiteral("Desktop"));
    EXPECT_FALSE(desktop.IsFileSystemFolder());
    EXPECT_TRUE(desktop.IsFolder());
    EXPECT_FALSE(desktop.IsHidden());
    EXPECT_FALSE(desktop.CanRename());

    const TStShellItem empty;
    EXPECT_EQ(empty.ImageIndex(), -1);
    EXPECT_FALSE(empty.IsFolder());
    EXPECT_TRUE(empty.Path().isEmpty());

    // A copy has its own lists and is bound again.
    TStShellItem copy(file);
    EXPECT_EQ(copy.AbsoluteIdList(), file.AbsoluteIdList());
    EXPECT_EQ(copy.DisplayName(), QStringLiteral("plain.txt"));
    EXPECT_TRUE(copy.IsFileSystemFile());
    ASSERT_TRUE(copy.ParentFolder());
    EXPECT_EQ(copy.ParentFolder()->NativePath(), root);
}

TEST(ShellNamespace, NamesThatAreNotUtf8KeepTheirBytes)
{
    QTemporaryDir tmp;
    const std::string bad = Native(tmp.path()) + "/caf\xe9.ico";
    Touch(bad);
    const auto list = ParseNativePath(bad);
    ASSERT_TRUE(list);
    const TStShellItem item(*list);
    EXPECT_EQ(item.NativePath(), bad);
    EXPECT_TRUE(item.DisplayName().contains(QChar(0xFFFD)));
    EXPECT_TRUE(item.DisplayName().startsWith(QStringLiteral("caf")));
    // QTemporaryDir cannot remove a name it cannot decode.
    EXPECT_EQ(::unlink(bad.c_str()), 0);
}

TEST(ShellNamespace, NetworkDisplayNamesAreCutAtOn)
{
    EXPECT_EQ(TStShellItem::CutNetworkName(QStringLiteral("//server/share"), QStringLiteral("share on server")),
              QStringLiteral("share"));
    EXPECT_EQ(TStShellItem::CutNetworkName(QStringLiteral("//server/x"), QStringLiteral("a on b on c")),
              QStringLiteral("a"));
    // Only network paths are cut.
    EXPECT_EQ(TStShellItem::CutNetworkName(QStringLiteral("/home/u/notes on work"), QStringLiteral("notes on work")),
              QStringLiteral("notes on work"));
}

TEST(ShellNamespace, SpecialFoldersAndControlTexts)
{
    EXPECT_EQ(SpecialRootFolderIdList(sfDesktop), ItemIdList());
    EXPECT_EQ(SpecialRootFolderIdList(sfDrives), ComputerIdList());
    EXPECT_FALSE(SpecialRootFolderIdList(sfNone));
    EXPECT_FALSE(SpecialRootFolderIdList(sfPrinters));
    EXPECT_NO_THROW(CheckShellVersion(sfHistory));

    EXPECT_EQ(ControlText(110), QStringLiteral("Operation not supported in this version of the shell"));
    EXPECT_EQ(ControlText(230), QStringLiteral("Name"));
    EXPECT_EQ(ControlText(236), QStringLiteral("System Folder"));
    EXPECT_EQ(ControlText(239), QStringLiteral("File"));
    EXPECT_EQ(ControlText(240), QStringLiteral("Invalid folder"));
    EXPECT_TRUE(ControlText(241).isEmpty());
    EXPECT_STREQ(EStShellError().what(), "Operation not supported in this version of the shell");
}

#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"
#include "shell/items/ShellErrors.h"
#include "shell/notify/ShellNotification.h"

#include "tests/shell/items/ShellTestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

struct Call {
    TStNotifyEventsSet events;
    QString oldName;
    QString newName;
    QString newPath;
};

// Records the per-kind events and the owner's calls of one watcher.
class Recorder {
public:
    explicit Recorder(TStCustomShellNotification& w)
    {
        const auto one = [this](const char* kind) {
            return [this, kind](QObject*, TStShellItem* item) { Note(kind, item); };
        };
        const auto two = [this](const char* kind) {
            return [this, kind](QObject*, TStShellItem* oldItem, TStShellItem*) { Note(kind, oldItem); };
        };
        w.OnAssociationChange = [this](QObject*) { kinds.push_back(QStringLiteral("Association")); };
        w.OnAttributeChange = two("Attributes");
        w.OnFileChange = one("FileChange");
        w.OnFileCreate = one("FileCreate");
        w.OnFileDelete = two("FileDelete");
        w.OnFileRename = two("FileRename");
        w.OnDriveAdd = one("DriveAdd");
        w.OnDriveRemove = one("DriveRemove");
        w.OnMediaInsert = one("MediaInsert");
        w.OnFolderCreate = one("FolderCreate");
        w.OnFolderDelete = one("FolderDelete");
        w.OnFolderRename = two("FolderRename");
        w.OnFolderChange = one("FolderChange");
        w.OnImageListChange = [this](QObject*) { kinds.push_back(QStringLiteral("ImageList")); };
        w.OnDriveSpaceChange = [this](QObject*, uint32_t mask) {
            kinds.push_back(QStringLiteral("DriveSpace:%1").arg(mask));
        };
        w.OnShellChangeNotify = [this](QObject*, TStShellItem* o, TStShellItem* n, TStNotifyEventsSet events) {
            calls.push_back({events, o ? o->DisplayName() : QString(), n ? n->DisplayName() : QString(),
                             n ? n->Path() : QString()});
        };
    }
    void Note(const char* kind, TStShellItem* item)
    {
        kinds.push_back(QString::fromLatin1(kind) + QLatin1Char(':') + (item ? item->DisplayName() : QString()));
    }

    std::vector<QString> kinds;
    std::vector<Call> calls;
};

ShellChangeRecord Created(const ItemIdList& folder, const char* name)
{
    const ItemIdList item = folder.Append(IdKind::Name, name, HintTypeKnown).value();
    return {item, item, ChangeCreate | ChangeUpdateDir, 0};
}

} // namespace

class ShellNotificationTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        tmp_ = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp_->isValid());
        root_ = Native(tmp_->path());
        folder_ = ParseFolderPath(tmp_->path());
    }

    void reportsFileAndFolderChangesInOrderWithOldAndNewItems()
    {
        TStShellNotification watcher;
        Recorder r(watcher);
        watcher.SetWatchFolder(tmp_->path());
        watcher.SetActive(true);
        QVERIFY(watcher.IsRegistered());

        Touch(root_ + "/a.txt"); // created, then closed after writing
        QCOMPARE(::mkdir((root_ + "/d").c_str(), 0755), 0);
        QCOMPARE(::rename((root_ + "/a.txt").c_str(), (root_ + "/b.txt").c_str()), 0);
        QCOMPARE(::rename((root_ + "/d").c_str(), (root_ + "/e").c_str()), 0);
        QCOMPARE(::unlink((root_ + "/b.txt").c_str()), 0);
        QCOMPARE(::rmdir((root_ + "/e").c_str()), 0);

        QTRY_COMPARE(r.calls.size(), std::size_t(7));
        const TStNotifyEventsSet expected[] = {
            {neFileCreate, neFolderUpdate},   {neFileChange, neFolderUpdate},   {neFolderCreate, neFolderUpdate},
            {neFileRename, neFolderUpdate},   {neFolderRename, neFolderUpdate}, {neFileDelete, neFolderUpdate},
            {neFolderDelete, neFolderUpdate},
        };
        for (std::size_t i = 0; i < 7; ++i)
            QVERIFY2(r.calls[i].events == expected[i], qPrintable(QString::number(i)));
        QCOMPARE(r.calls[3].oldName, QStringLiteral("a.txt"));
        QCOMPARE(r.calls[3].newName, QStringLiteral("b.txt"));
        QCOMPARE(r.calls[4].oldName, QStringLiteral("d"));
        QCOMPARE(r.calls[4].newName, QStringLiteral("e"));
        QCOMPARE(r.calls[5].oldName, QStringLiteral("b.txt"));
        // Per-kind events come first, the folder's update names the folder.
        const QString dir = DisplayNameOf(folder_);
        QCOMPARE(r.kinds[0], QStringLiteral("FileCreate:a.txt"));
        QCOMPARE(r.kinds[1], QStringLiteral("FolderChange:") + dir);
        QCOMPARE(r.kinds[6], QStringLiteral("FileRename:a.txt"));
        QCOMPARE(r.kinds[8], QStringLiteral("FolderRename:d"));
        QCOMPARE(r.kinds[12], QStringLiteral("FolderDelete:e"));
    }

    void queueKeepsFiveChangesAndFoldsTheRestIntoOneFolderUpdate()
    {
        TStShellNotification watcher;
        watcher.SetQueueLimit(5);
        Recorder r(watcher);
        for (const char* name : {"x1", "x2", "x3", "x4", "x5", "x6"})
            watcher.PostChange(Created(folder_, name));
        QTRY_COMPARE(r.calls.size(), std::size_t(6));
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(r.calls[std::size_t(i)].oldName, QStringLiteral("x%1").arg(i + 1));
            QVERIFY(r.calls[std::size_t(i)].events.Contains(neFileCreate));
        }
        QCOMPARE(r.calls[5].events, (TStNotifyEventsSet{neFolderUpdate}));
        QCOMPARE(r.calls[5].oldName, DisplayNameOf(folder_));
        QTest::qWait(50);
        QCOMPARE(r.calls.size(), std::size_t(6));

        // Once handled, the queue takes changes again.
        watcher.PostChange(Created(folder_, "x7"));
        QTRY_COMPARE(r.calls.size(), std::size_t(7));
        QCOMPARE(r.calls[6].oldName, QStringLiteral("x7"));
    }

    void attributeChangeIsReportedAtOnceAndAlone()
    {
        TStShellNotification watcher;
        watcher.SetQueueLimit(5);
        Recorder r(watcher);
        const ItemIdList file = folder_.Append(IdKind::Name, "f", HintTypeKnown).value();
        watcher.PostChange(Created(folder_, "c1"));
        watcher.PostChange(Created(folder_, "c2"));
        watcher.PostChange({file, file, ChangeAttributes, 0});
        QTRY_COMPARE(r.calls.size(), std::size_t(3));
        QCOMPARE(r.calls[0].events, (TStNotifyEventsSet{neAttributesChange}));
        QCOMPARE(r.calls[0].oldName, QStringLiteral("f"));
        QCOMPARE(r.calls[1].oldName, QStringLiteral("c1"));
        QCOMPARE(r.calls[2].oldName, QStringLiteral("c2"));

        // The same from the file system: a change of mode.
        Touch(root_ + "/m.txt");
        watcher.SetWatchFolder(tmp_->path());
        watcher.SetActive(true);
        r.calls.clear();
        QCOMPARE(::chmod((root_ + "/m.txt").c_str(), 0600), 0);
        QTRY_COMPARE(r.calls.size(), std::size_t(1));
        QCOMPARE(r.calls[0].events, (TStNotifyEventsSet{neAttributesChange}));
        QCOMPARE(r.calls[0].newName, QStringLiteral("m.txt"));
    }

    void severalEventsAreRaisedInTableOrderWithFreeSpaceLast()
    {
        TStShellNotification watcher;
        Recorder r(watcher);
        const ItemIdList item = folder_.Append(IdKind::Name, "n", HintTypeKnown).value();
        watcher.PostChange({item, item,
                            ChangeFreeSpace | ChangeUpdateImage | ChangeUpdateDir | ChangeMediaInserted |
                                ChangeDriveAdd | ChangeCreate | ChangeAssociation,
                            5});
        QTRY_COMPARE(r.calls.size(), std::size_t(1));
        const std::vector<QString> expected{
            "Association", "FileCreate:n", "DriveAdd:n", "MediaInsert:n", "FolderChange:" + DisplayNameOf(folder_),
            "ImageList",   "DriveSpace:5"};
        QCOMPARE(r.kinds, expected);
        QCOMPARE(r.calls[0].events, (TStNotifyEventsSet{neAssociationChange, neFileCreate, neDriveAdd, neMediaInsert,
                                                        neFolderUpdate, neImageListChange, neDriveSpaceChange}));

        // Events outside NotifyEvents are neither raised nor passed on.
        watcher.SetNotifyEvents({neFolderUpdate});
        r.kinds.clear();
        r.calls.clear();
        watcher.PostChange(Created(folder_, "y"));
        QTRY_COMPARE(r.calls.size(), std::size_t(1));
        QCOMPARE(r.calls[0].events, (TStNotifyEventsSet{neFolderUpdate}));
        QCOMPARE(r.calls[0].oldName, DisplayNameOf(folder_)); // the update names the folder
    }

    void watchFolderThatCannotBeParsedRaisesAndChangesNothing()
    {
        TStShellNotification watcher;
        watcher.SetWatchFolder(tmp_->path());
        QVERIFY_THROWS_EXCEPTION(EStInvalidFolder, watcher.SetWatchFolder(tmp_->path() + "/missing"));
        QCOMPARE(watcher.WatchFolder(), tmp_->path());
        QVERIFY(watcher.WatchIdList() == std::optional<ItemIdList>(folder_));
    }

    // With sub-folders, a folder brings the loaded folders below it and no
    // others; no property change watches anything again, and a renamed
    // loaded folder stays watched under its new name.
    void subFoldersAreTheLoadedFoldersAndPropertiesNeverWatchAgain()
    {
        for (const char* sub : {"/s", "/s/t", "/s/new"})
            QCOMPARE(::mkdir((root_ + sub).c_str(), 0755), 0);
        for (int i = 0; i < 20; ++i) // folders nobody loaded
            QCOMPARE(::mkdir((root_ + "/s/t/u" + std::to_string(i)).c_str(), 0755), 0);
        const auto list = [&](const char* sub) { return ParseFolderPath(tmp_->path() + QLatin1String(sub)); };
        TStShellNotification watcher;
        Recorder r(watcher);
        watcher.SetNotifyEvents({neFileCreate, neFolderCreate});
        watcher.SetWatchFolder(tmp_->path());
        watcher.SetWatchSubFolders(true);
        watcher.AddLoadedFolder(list("/s"));
        watcher.AddLoadedFolder(list("/s/t"));
        watcher.AddLoadedFolder(list("/s/new"));
        watcher.SetActive(true);
        QCOMPARE(watcher.WatchCount(), 4);

        watcher.SetNotifyEvents({neFileCreate, neFolderCreate, neFolderRename});
        watcher.SetQueueLimit(5);
        watcher.SetWatchSubFolders(true);
        watcher.SetWatchFolder(tmp_->path());
        QCOMPARE(watcher.WatchCount(), 4);
        watcher.SetWatchSubFolders(false);
        QCOMPARE(watcher.WatchCount(), 1);
        watcher.SetWatchSubFolders(true);
        QCOMPARE(watcher.WatchCount(), 4);
        watcher.AddLoadedFolder(list("/s/t")); // a second node of one folder
        watcher.RemoveLoadedFolder(list("/s/t"));
        QCOMPARE(watcher.WatchCount(), 4);

        Touch(root_ + "/s/t/deep.txt");
        QTRY_COMPARE(r.calls.size(), std::size_t(1));
        QCOMPARE(r.calls[0].oldName, QStringLiteral("deep.txt"));

        QCOMPARE(::rename((root_ + "/s/new").c_str(), (root_ + "/s/renamed").c_str()), 0);
        Touch(root_ + "/s/renamed/x.txt");
        QTRY_COMPARE(r.calls.size(), std::size_t(3));
        QCOMPARE(r.calls[1].events, (TStNotifyEventsSet{neFolderRename}));
        QCOMPARE(r.calls[2].newPath, tmp_->path() + QStringLiteral("/s/renamed/x.txt"));
        watcher.RemoveLoadedFolder(list("/s/renamed"));
        QCOMPARE(watcher.WatchCount(), 3);
    }

    void wholeNamespaceWatchesTheLoadedFolders()
    {
        TStShellNotification watcher;
        Recorder r(watcher);
        watcher.SetNotifyEvents({neFileCreate});
        watcher.AddLoadedFolder(folder_);
        watcher.SetActive(true);
        Touch(root_ + "/one.txt");
        QTRY_COMPARE(r.calls.size(), std::size_t(1));

        watcher.RemoveLoadedFolder(folder_);
        Touch(root_ + "/two.txt");
        QTest::qWait(100);
        QCOMPARE(r.calls.size(), std::size_t(1));
        watcher.SetActive(false);
        QVERIFY(!watcher.IsRegistered());
    }

    void movesInAndOutAreCreatesAndDeletesAndTheFolderItselfCanGo()
    {
        const std::string watched = root_ + "/w", outside = root_ + "/out";
        QCOMPARE(::mkdir(watched.c_str(), 0755), 0);
        QCOMPARE(::mkdir(outside.c_str(), 0755), 0);
        QCOMPARE(::mkdir((watched + "/sub").c_str(), 0755), 0);
        Touch(outside + "/in.txt");
        TStShellNotification watcher;
        Recorder r(watcher);
        watcher.SetWatchFolder(QString::fromStdString(watched));
        watcher.SetActive(true);

        QCOMPARE(::rename((outside + "/in.txt").c_str(), (watched + "/in.txt").c_str()), 0);
        QTRY_COMPARE(r.calls.size(), std::size_t(1));
        QCOMPARE(::rename((watched + "/in.txt").c_str(), (outside + "/back.txt").c_str()), 0);
        QCOMPARE(::rename((watched + "/sub").c_str(), (outside + "/sub").c_str()), 0);
        QCOMPARE(::rmdir(watched.c_str()), 0);
        QTRY_COMPARE(r.calls.size(), std::size_t(4));
        QCOMPARE(r.calls[0].events, (TStNotifyEventsSet{neFileCreate, neFolderUpdate}));
        QCOMPARE(r.calls[0].newName, QStringLiteral("in.txt"));
        QCOMPARE(r.calls[1].events, (TStNotifyEventsSet{neFileDelete, neFolderUpdate}));
        QCOMPARE(r.calls[2].events, (TStNotifyEventsSet{neFolderDelete, neFolderUpdate}));
        QCOMPARE(r.calls[2].oldName, QStringLiteral("sub"));
        // The watched folder itself was removed.
        QCOMPARE(r.calls[3].events, (TStNotifyEventsSet{neFolderDelete, neFolderUpdate}));
        QCOMPARE(r.calls[3].oldName, QStringLiteral("w"));
    }

    void desktopEntriesAreReportedAsDesktopItems()
    {
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", tmp_->path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(::mkdir((root_ + "/Desktop").c_str(), 0755), 0);
        {
            TStShellNotification watcher;
            Recorder r(watcher);
            watcher.SetNotifyEvents({neFileCreate});
            watcher.SetWatchIdList(ItemIdList());
            watcher.SetActive(true);
            Touch(root_ + "/Desktop/note.txt");
            QTRY_COMPARE(r.calls.size(), std::size_t(1));
            QCOMPARE(r.calls[0].newName, QStringLiteral("note.txt"));
            QCOMPARE(r.calls[0].newPath, tmp_->path() + QStringLiteral("/Desktop/note.txt"));
        }
        qputenv("HOME", oldHome);
        if (!oldConfig.isEmpty())
            qputenv("XDG_CONFIG_HOME", oldConfig);
    }

    void drivesMountedAndUnmountedAreReported()
    {
        // A private mount namespace: the mount is seen by this process only.
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            QSKIP("no permission to make a private mount namespace");
        TStShellNotification watcher;
        Recorder r(watcher);
        watcher.SetActive(true); // the whole namespace: drives included
        const std::string point = root_ + "/mnt";
        QCOMPARE(::mkdir(point.c_str(), 0755), 0);
        if (::mount("/dev/orbisk-test", point.c_str(), "tmpfs", 0, nullptr) != 0)
            QSKIP("mounting is not permitted here");
        QTRY_COMPARE(r.calls.size(), std::size_t(1));
        QCOMPARE(::umount(point.c_str()), 0);
        QTRY_COMPARE(r.calls.size(), std::size_t(2));
        QCOMPARE(r.calls[0].events, (TStNotifyEventsSet{neDriveAdd, neFolderUpdate}));
        QCOMPARE(r.calls[0].newPath, QString::fromStdString(point));
        QCOMPARE(r.calls[1].events, (TStNotifyEventsSet{neDriveRemove, neFolderUpdate}));
        QCOMPARE(r.kinds[1], QStringLiteral("FolderChange:Computer"));
    }

    // A burst in one folder is reported one by one up to a bound, then as
    // one update of that folder; other folders and the next round are not
    // affected.
    void burstInOneFolderBecomesOneFolderUpdate()
    {
        TStShellNotification watcher;
        Recorder r(watcher);
        const ItemIdList other = folder_.Append(IdKind::Name, "other", HintFolder | HintTypeKnown).value();
        constexpr int burst = TStCustomShellNotification::MaxChangesPerFolder * 3;
        for (int i = 0; i < burst; ++i) {
            watcher.PostChange(Created(folder_, QByteArray("f" + QByteArray::number(i)).constData()));
            if (i % 50 == 0)
                watcher.PostChange(Created(other, QByteArray("o" + QByteArray::number(i)).constData()));
        }
        const ItemIdList file = folder_.Append(IdKind::Name, "f0", HintTypeKnown).value();
        watcher.PostChange({file, file, ChangeAttributes, 0}); // past the bound too
        const std::size_t expected = TStCustomShellNotification::MaxChangesPerFolder + 4 + 1;
        QTRY_COMPARE(r.calls.size(), expected);
        QTest::qWait(50);
        QCOMPARE(r.calls.size(), expected);
        int ones = 0;
        for (std::size_t i = 0; i + 1 < r.calls.size(); ++i)
            ones += r.calls[i].events.Contains(neFileCreate) ? 1 : 0;
        QCOMPARE(ones, TStCustomShellNotification::MaxChangesPerFolder + 4);
        QCOMPARE(r.calls.back().events, (TStNotifyEventsSet{neFolderUpdate}));
        QCOMPARE(r.calls.back().oldName, DisplayNameOf(folder_));

        watcher.PostChange(Created(folder_, "next"));
        QTRY_COMPARE(r.calls.size(), expected + 1);
        QCOMPARE(r.calls.back().oldName, QStringLiteral("next"));
    }

private:
    std::unique_ptr<QTemporaryDir> tmp_;
    std::string root_;
    ItemIdList folder_;
};

QTEST_GUILESS_MAIN(ShellNotificationTest)
#include "ShellNotificationTest.moc"

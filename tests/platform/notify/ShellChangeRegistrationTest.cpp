#include "platform/namespace/PathParsing.h"
#include "platform/notify/ShellChangeRegistration.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orbisk;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> paths)
{
    std::sort(paths.begin(), paths.end());
    return paths;
}

int ProcInt(const char* path)
{
    QFile f(QString::fromLatin1(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toInt() : 0;
}

} // namespace

class ShellChangeRegistrationTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        tmp_ = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp_->isValid());
        root_ = QFile::encodeName(tmp_->path()).toStdString();
    }

    // Sub-folders are the loaded folders: exactly those are watched, one
    // watch each, however many folders lie around them on disk.
    void watchesExactlyTheLoadedFoldersOneAtATime()
    {
        for (const char* sub : {"/t", "/t/a", "/t/a/x", "/t/a/y", "/t/b", "/t/b/z", "/out"})
            QCOMPARE(::mkdir((root_ + sub).c_str(), 0755), 0);
        const auto list = [&](const char* sub) { return *ParseNativePath(root_ + sub); };
        const auto paths = [&](std::initializer_list<const char*> subs) {
            std::vector<std::string> all;
            for (const char* sub : subs)
                all.push_back(root_ + sub);
            return Sorted(all);
        };
        LoadedFolders loaded;
        for (const char* sub : {"/t/a", "/t/a/x", "/out"})
            loaded.Add(list(sub));

        ShellChangeRegistration one(list("/t"), true, ~0u, loaded);
        QCOMPARE(Sorted(one.WatchedPaths()), paths({"/t", "/t/a", "/t/a/x"}));
        one.SetSubFolders(false);
        QCOMPARE(one.WatchedPaths(), paths({"/t"}));
        one.SetSubFolders(true);
        QCOMPARE(one.WatchCount(), 3);
        loaded.Add(list("/t/b/z"));
        one.AddFolder(list("/t/b/z"));
        QCOMPARE(one.WatchCount(), 4);
        one.RemoveFolder(list("/t/a/x"));
        QCOMPARE(Sorted(one.WatchedPaths()), paths({"/t", "/t/a", "/t/b/z"}));

        ShellChangeRegistration alone(list("/t/b"), false, ~0u, loaded);
        QCOMPARE(alone.WatchedPaths(), paths({"/t/b"}));

        // The whole namespace: every loaded folder (and the desktop folder,
        // which this home folder lacks).
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", tmp_->path().toLocal8Bit());
        ShellChangeRegistration all(std::nullopt, true, ~0u, loaded);
        qputenv("HOME", oldHome);
        QCOMPARE(Sorted(all.WatchedPaths()), paths({"/t/a", "/t/a/x", "/t/b/z", "/out"}));
    }

    // A real overflow of the kernel's queue reaches the owner as an update
    // of the watched folder.
    void kernelQueueOverflowReportsTheWatchedFolder()
    {
        const int limit = ProcInt("/proc/sys/fs/inotify/max_queued_events");
        if (limit <= 0 || limit > 65536)
            QSKIP("the kernel's queue is too large to overflow quickly here");
        // Memory-backed when there is such a folder: thousands of files.
        QTemporaryDir shm(QStringLiteral("/dev/shm/orbisk-notify-XXXXXX"));
        const std::string folder = shm.isValid() ? QFile::encodeName(shm.path()).toStdString() : root_;
        LoadedFolders loaded;
        ShellChangeRegistration r(*ParseNativePath(folder), false, ~0u, loaded);
        // Each file is a create and a close after writing: two events.
        for (int i = 0; i <= limit / 2; ++i) {
            const int fd = ::open((folder + "/f" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        std::vector<ShellChangeRecord> all;
        for (std::vector<ShellChangeRecord> batch = r.ReadChanges(); !batch.empty(); batch = r.ReadChanges())
            all.insert(all.end(), batch.begin(), batch.end());
        QVERIFY(!all.empty());
        QCOMPARE(all.back().events, uint32_t(ChangeUpdateDir));
        QVERIFY(all.back().first == *ParseNativePath(folder));
    }

private:
    std::unique_ptr<QTemporaryDir> tmp_;
    std::string root_;
};

QTEST_GUILESS_MAIN(ShellChangeRegistrationTest)
#include "ShellChangeRegistrationTest.moc"

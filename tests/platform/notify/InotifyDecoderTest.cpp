#include "fixtures/InotifyRecords.h"
#include "platform/namespace/PathParsing.h"
#include "platform/notify/InotifyDecoder.h"
#include "platform/notify/LoadedFolders.h"

#include <QTest>

#include <cstring>
#include <map>
#include <set>
#include <sys/inotify.h>

using namespace orbisk;

namespace {

// Hands out one descriptor per path, as the kernel does per watched object.
class FakeKernel : public WatchDescriptors {
public:
    int AddWatch(const std::string& path, uint32_t) override
    {
        const auto [it, added] = wds.emplace(path, next);
        next += added ? 1 : 0;
        return it->second;
    }
    void RemoveWatch(int wd) override { removed.insert(wd); }

    std::map<std::string, int> wds;
    std::set<int> removed;
    int next = 1;
};

// The bytes of one read: each record's name padded with NULs, as the kernel
// writes it.
std::vector<char> Read(std::initializer_list<InotifyEvent> events)
{
    std::vector<char> bytes;
    for (const InotifyEvent& e : events)
        orbisk::test::AppendInotifyRecord(bytes, e.wd, e.mask, e.cookie, e.name);
    return bytes;
}

ItemIdList Folder(const ItemIdList& parent, const char* name)
{
    return parent.Append(IdKind::Name, name, HintFolder | HintTypeKnown | HintLinkKnown).value();
}

// A root folder /w-root (never on disk) with a loaded folder "d" below it.
struct Fixture {
    FakeKernel kernel;
    WatchTable table{kernel, 0};
    LoadedFolders loaded;
    InotifyDecoder decoder{table, 0xffffffffu};
    ItemIdList root = Folder(DriveIdList("/"), "w-root");
    ItemIdList d = Folder(root, "d");
    int rootWd = table.Add(root, "/w-root", false, true);
    int dWd = table.Add(d, "/w-root/d", false, false);
    std::vector<ShellChangeRecord> out;

    Fixture()
    {
        loaded.Add(d);
        decoder.OnFolderMoved = [this](const ItemIdList& from, const ItemIdList& to) { loaded.Move(from, to); };
    }
    void Decode(std::initializer_list<InotifyEvent> events)
    {
        const std::vector<char> bytes = Read(events);
        decoder.Decode(std::span<const char>(bytes), out);
    }
};

} // namespace

class InotifyDecoderTest : public QObject {
    Q_OBJECT

private slots:
    // A read may end between a rename's two halves: the rename is still one
    // rename, and the renamed folder's watch reports under its new name.
    void renameSplitAcrossTwoReadsKeepsTheFolderWatched()
    {
        Fixture f;
        f.Decode({{f.rootWd, IN_MOVED_FROM | IN_ISDIR, 7, "d"}});
        QVERIFY(f.out.empty());
        QVERIFY(f.decoder.HoldsMove());

        f.Decode({{f.rootWd, IN_MOVED_TO | IN_ISDIR, 7, "e"}, {f.dWd, IN_CREATE, 0, "x.txt"}});
        QVERIFY(!f.decoder.HoldsMove());
        QCOMPARE(f.out.size(), std::size_t(2));
        const ItemIdList e = Folder(f.root, "e");
        QCOMPARE(f.out[0].events, uint32_t(ChangeRenameFolder | ChangeUpdateDir));
        QVERIFY(f.out[0].first == f.d);
        QVERIFY(f.out[0].second == e);
        QCOMPARE(f.out[1].events, uint32_t(ChangeCreate | ChangeUpdateDir));
        QVERIFY(f.out[1].first->WithoutLast() == e);
        QVERIFY(f.kernel.removed.empty());
        QCOMPARE(f.table.Paths().size(), std::size_t(2));
        QVERIFY(f.table.Find(f.dWd)->front().path == "/w-root/e");
        // The owner removes the loaded folder later by the name it now has.
        QVERIFY(f.loaded.Contains(e));
        QVERIFY(!f.loaded.Contains(f.d));
    }

    // A moved-from half waits for one read only; a moved-from inside a read
    // with no partner after it is a move out at once.
    void unpairedMoveIsADeleteAfterTheNextReadOrWhenReleased()
    {
        Fixture f;
        f.Decode({{f.rootWd, IN_MOVED_FROM | IN_ISDIR, 7, "d"}});
        f.Decode({{f.rootWd, IN_CREATE, 0, "later.txt"}});
        QCOMPARE(f.out.size(), std::size_t(2));
        QCOMPARE(f.out[0].events, uint32_t(ChangeRmdir | ChangeUpdateDir));
        QVERIFY(f.out[0].first == f.d);
        QCOMPARE(f.out[1].events, uint32_t(ChangeCreate | ChangeUpdateDir));
        // The folder is out of sight: its watch would report stale names.
        QVERIFY(f.kernel.removed.contains(f.dWd));
        QCOMPARE(f.table.Count(), 1);

        Fixture g;
        g.Decode({{g.rootWd, IN_MOVED_FROM, 9, "a.txt"}, {g.rootWd, IN_CREATE, 0, "b.txt"},
                  {g.rootWd, IN_MOVED_FROM, 10, "c.txt"}});
        QCOMPARE(g.out.size(), std::size_t(2));
        QCOMPARE(g.out[0].events, uint32_t(ChangeDelete | ChangeUpdateDir));
        QVERIFY(g.decoder.HoldsMove());
        g.Decode({}); // an empty read says nothing: still held
        QVERIFY(g.decoder.HoldsMove());
        g.decoder.ReleaseHeldMoves(g.out);
        QVERIFY(!g.decoder.HoldsMove());
        QCOMPARE(g.out.size(), std::size_t(3));
        QCOMPARE(g.out[2].first->LastName(), std::string_view("c.txt"));
    }

    // When the kernel's queue overflowed, whatever was lost is covered by
    // an update of every watched folder; a half still held lost its partner.
    void queueOverflowReportsEveryWatchedFolder()
    {
        Fixture f;
        f.Decode({{f.rootWd, IN_MOVED_FROM, 3, "gone.txt"}});
        f.Decode({{-1, IN_Q_OVERFLOW, 0, ""}});
        QCOMPARE(f.out.size(), std::size_t(3));
        QCOMPARE(f.out[0].events, uint32_t(ChangeDelete | ChangeUpdateDir));
        std::set<std::string> updated;
        for (std::size_t i = 1; i < f.out.size(); ++i) {
            QCOMPARE(f.out[i].events, uint32_t(ChangeUpdateDir));
            updated.insert(std::string(f.out[i].first->LastName()));
        }
        QCOMPARE(updated, (std::set<std::string>{"w-root", "d"}));
    }

    void recordsThatDoNotFitOrNameNoEntryAreIgnored()
    {
        std::vector<char> bytes = Read({{3, IN_CREATE, 0, "name.txt"}, {3, IN_CREATE, 0, "cut.txt"}});
        const auto events = ParseInotifyEvents(std::span<const char>(bytes.data(), bytes.size() - 1));
        QCOMPARE(events.size(), std::size_t(1));
        QCOMPARE(events[0].name, std::string("name.txt"));
        QVERIFY(ParseInotifyEvents(std::span<const char>(bytes.data(), sizeof(inotify_event) - 1)).empty());
        inotify_event huge{};
        huge.len = 0xffffffffu;
        std::memcpy(bytes.data(), &huge, sizeof huge);
        QVERIFY(ParseInotifyEvents(std::span<const char>(bytes)).empty());

        Fixture f;
        f.Decode({{f.rootWd, IN_CREATE, 0, "a/b"}, {f.rootWd, IN_CREATE, 0, ".."}, {f.rootWd, IN_DELETE, 0, "."},
                  {42, IN_CREATE, 0, "unwatched"}});
        QVERIFY(f.out.empty());
    }
};

QTEST_APPLESS_MAIN(InotifyDecoderTest)
#include "InotifyDecoderTest.moc"

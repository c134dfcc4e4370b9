#include "platform/namespace/MimeTypeNames.h"
#include "platform/namespace/PathParsing.h"
#include "shell/controls/ItemDetails.h"
#include "shell/controls/ListSort.h"

#include "tests/shell/controls/ListTestSupport.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QTest>

#include <algorithm>
#include <random>
#include <sys/time.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

bool SetModified(const std::string& path, int64_t secs)
{
    const struct timespec times[2] = {{secs, 0}, {secs, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

} // namespace

class ListColumnsTest : public QObject, private ListFolder {
    Q_OBJECT

private slots:
    void init() { QVERIFY(NewFolder()); }

    void sizeTexts_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << qint64(0) << "0KB";
        QTest::newRow("one byte") << qint64(1) << "1KB";
        QTest::newRow("just under a kilobyte") << qint64(1023) << "1KB";
        QTest::newRow("one kilobyte") << qint64(1024) << "1KB";
        QTest::newRow("one and a half") << qint64(1536) << "1KB";
        QTest::newRow("grouped") << qint64(1234567) << "1,205KB";
        QTest::newRow("grouped exactly") << qint64(1263616) << "1,234KB";
        QTest::newRow("beyond 4 GiB") << (qint64(5) << 30) << "5,242,880KB";
        QTest::newRow("beyond a terabyte") << (qint64(3) << 40) << "3,221,225,472KB";
    }

    void sizeTexts()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(TStDetailTexts::SizeText(bytes), text);
    }

    void typeTextsAndColumnsOfAFolder()
    {
        for (const char* name : {"noext", "odd.qqzz", "icon.ico", "link.LNK"})
            Touch(At(name));
        QCOMPARE(::mkdir(At("dir").c_str(), 0755), 0);
        TStShellListView list;
        list.SetViewStyle(TViewStyle::vsReport);
        list.SetRootFolder(tmp_->path());
        QCOMPARE(list.Model()->columnCount(), 5);
        const QStringList captions{"Name", "Size", "Type", "Modified", "Attributes"};
        for (int c = 0; c < 5; ++c)
            QCOMPARE(list.Model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), captions[c]);

        QCOMPARE(Cell(list, RowOf(list, "noext"), 2), QStringLiteral("File"));
        QCOMPARE(Cell(list, RowOf(list, "odd.qqzz"), 2), QStringLiteral("QQZZ File"));
        QVERIFY(!MimeTypeDescription(".ico").isEmpty());
        QCOMPARE(Cell(list, RowOf(list, "icon.ico"), 2), MimeTypeDescription(".ico"));
        QCOMPARE(Cell(list, RowOf(list, "dir"), 2), QStringLiteral("File Folder"));
        QVERIFY(Cell(list, RowOf(list, "dir"), 1).isEmpty());
        QCOMPARE(TStTypeDictionary::ShortTypeText("link.LNK"), QStringLiteral("Shortcut"));
        QCOMPARE(TStTypeDictionary::ShortTypeText("a.xyz"), QStringLiteral("XYZ File"));
        QCOMPARE(TStTypeDictionary::ShortTypeText(".profile"), QStringLiteral("File"));

        // Computer is not a file-system folder: the name alone.
        list.SetSpecialRootFolder(sfDrives);
        QCOMPARE(list.Model()->columnCount(), 1);
        QVERIFY(list.Model()->rowCount() >= 1);
    }

    void trashShowsTheFileSystemColumns()
    {
        const QByteArray old = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", tmp_->path().toUtf8());
        QVERIFY(QDir().mkpath(tmp_->path() + "/Trash/files"));
        WriteFile(root_ + "/Trash/files/thrown.txt", 2048);
        TStShellListView list;
        list.SetViewStyle(TViewStyle::vsReport);
        list.SetSpecialRootFolder(sfBitBucket);
        if (old.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", old);
        QCOMPARE(list.Model()->columnCount(), 5);
        QCOMPARE(list.Model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Size"));
        QCOMPARE(Cell(list, 0, 0), QStringLiteral("thrown.txt"));
        QCOMPARE(Cell(list, 0, 1), QStringLiteral("2KB"));
    }

    void hugeFilesAndTimesOutsideThePackedDateRange()
    {
        const int64_t year2200 = QDateTime(QDate(2200, 1, 1), QTime(12, 0)).toSecsSinceEpoch();
        const int64_t huge = int64_t(5) << 30;
        const int fd = ::open(At("huge.bin").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::ftruncate(fd, huge), 0); // sparse: takes no room on the disk
        ::close(fd);
        WriteFile(At("small.bin"), 100);
        WriteFile(At("old.bin"), 50);
        WriteFile(At("future.bin"), 60);
        QVERIFY(SetModified(At("old.bin"), 0));
        QVERIFY(SetModified(At("future.bin"), year2200));
        QCOMPARE(::mkdir(At("dir").c_str(), 0755), 0);

        TStShellListView list;
        QAbstractItemModelTester tester(list.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        list.SetViewStyle(TViewStyle::vsReport);
        list.SetRootFolder(tmp_->path());
        const TStShellItem* item = list.Model()->ItemAtRow(RowOf(list, "huge.bin"));
        QCOMPARE(item->Size(), huge);
        QCOMPARE(Cell(list, RowOf(list, "huge.bin"), 1), QStringLiteral("5,242,880KB"));
        QCOMPARE(list.Model()->ItemAtRow(RowOf(list, "dir"))->Size(), int64_t(-1));

        list.ColumnClick(1);
        QCOMPARE(Captions(list), (QStringList{"dir", "old.bin", "future.bin", "small.bin", "huge.bin"}));

        const TStShellItem* old = list.Model()->ItemAtRow(RowOf(list, "old.bin"));
        QCOMPARE(old->Modified(), int64_t(0));
        QCOMPARE(list.Model()->ItemAtRow(RowOf(list, "future.bin"))->Modified(), year2200);
        const QLocale locale;
        for (const char* name : {"old.bin", "future.bin"}) {
            const QDate date = QDateTime::fromSecsSinceEpoch(list.Model()->ItemAtRow(RowOf(list, name))->Modified()).date();
            QVERIFY(date.year() < 1971 || date.year() == 2200);
            QVERIFY2(Cell(list, RowOf(list, name), 3).startsWith(locale.toString(date, QLocale::ShortFormat)),
                     qPrintable(Cell(list, RowOf(list, name), 3)));
        }

        // Newest first, folders first; the same column again reverses it.
        list.ColumnClick(3);
        QCOMPARE(Captions(list).first(), QStringLiteral("dir"));
        QCOMPARE(Captions(list)[1], QStringLiteral("future.bin"));
        QCOMPARE(Captions(list).last(), QStringLiteral("old.bin"));
        list.ColumnClick(3);
        QCOMPARE(Captions(list).first(), QStringLiteral("old.bin"));
        QCOMPARE(Captions(list).last(), QStringLiteral("dir"));
    }

    void attributeTexts()
    {
        Touch(At(".hidden"));
        Touch(At("locked"));
        QCOMPARE(::chmod(At("locked").c_str(), 0444), 0);
        TStShellListView list;
        list.SetOptions({loShowHidden});
        list.SetViewStyle(TViewStyle::vsReport);
        list.SetRootFolder(tmp_->path());
        QCOMPARE(Cell(list, RowOf(list, ".hidden"), 4), QStringLiteral("H"));
        // The superuser may write anything: nothing is read-only for it.
        QCOMPARE(Cell(list, RowOf(list, "locked"), 4), ::geteuid() == 0 ? QString() : QStringLiteral("R"));
        QCOMPARE(TStDetailTexts::AttributeText(dfHidden | dfReadOnly | dfCompressed), QStringLiteral("HRC"));
    }

    // Items the columns rank equal (same size, time, type, attributes, names
    // that differ only in case) still come out in one order whatever order
    // they went in: every order is total.
    void everyColumnGivesOneOrderWhateverTheStartingOrder()
    {
        const char* names[] = {"a.txt", "A.txt", "b.TXT", "B.txt", "c.ico", "C.ICO", "d10", "d9", "e", "E"};
        for (const char* name : names)
            WriteFile(At(name), 7);
        for (const char* name : {"dirB", "dira", "DirA"})
            QCOMPARE(::mkdir(At(name).c_str(), 0755), 0);
        for (const char* name : names)
            QVERIFY(SetModified(At(name), 1700000000));
        TStShellListView list;
        list.SetViewStyle(TViewStyle::vsReport);
        list.SetRootFolder(tmp_->path());
        std::vector<TStListRow> rows = list.Model()->Rows();
        QCOMPARE(rows.size(), std::size_t(13));

        std::mt19937 random(7);
        for (int column = 0; column < 5; ++column) {
            for (bool byExtension : {false, true}) {
                std::vector<TStListRow> first = rows;
                SortRows(first, {column, byExtension}, list.Model()->Texts());
                for (int round = 0; round < 20; ++round) {
                    std::vector<TStListRow> again = rows;
                    std::shuffle(again.begin(), again.end(), random);
                    SortRows(again, {column, byExtension}, list.Model()->Texts());
                    for (std::size_t i = 0; i < rows.size(); ++i)
                        QCOMPARE(again[i].item, first[i].item);
                }
                // Folders first in every column but the name's, where they
                // come first anyway.
                for (std::size_t i = 0; i < 3; ++i)
                    QVERIFY(first[i].item->IsFileSystemFolder());
            }
        }
    }
};

QTEST_MAIN(ListColumnsTest)
#include "ListColumnsTest.moc"

#include "SaveTestSupport.h"

#include "export/TafIcon.h"
#include "shell/browser/SelectDirDlg.h"
#include "ui/DrawGrid.h"
#include "ui/OptionsDlg.h"
#include "widgets/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

QByteArray Contents(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QLineEdit* NameBox(QFileDialog* d) { return d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

// Chooses filter entry `entry` (1 or 2) as the user would, with the keys.
void ChooseEntry(QFileDialog* d, int entry)
{
    auto* combo = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QTest::keyClick(combo, entry == 2 ? Qt::Key_Down : Qt::Key_Up);
}

// Runs the thread's file operations as an ordinary user, for whom
// permissions hold (root's are not checked).
struct AsOrdinaryUser {
    const bool root = ::geteuid() == 0;
    AsOrdinaryUser()
    {
        if (root)
            ::setfsgid(65534), ::setfsuid(65534);
    }
    ~AsOrdinaryUser()
    {
        if (root)
            ::setfsuid(0), ::setfsgid(0);
    }
};

} // namespace

class SaveIconTest : public QObject {
    Q_OBJECT

    WindowFixture w_;

    // Save icon, with steps run in its dialog.
    void SaveIcon(std::function<void(QFileDialog*)> steps, bool* shown = nullptr)
    {
        WhenShown<QFileDialog>(std::move(steps), shown);
        w_.Command("SaveIcon")->trigger();
    }
    static void Type(QFileDialog* d, const std::string& name)
    {
        NameBox(d)->setText(QString::fromStdString(name));
        QTest::keyClick(NameBox(d), Qt::Key_Return);
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Orbisk 1.2"));
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }
    void init() { w_.Init(); }
    void cleanup() { w_.Cleanup(); }

    void nothingToSaveOpensNoDialog()
    {
        bool shown = true;
        SaveIcon([](QFileDialog*) {}, &shown);
        QTRY_VERIFY(!shown);
        QVERIFY(w_.ScanFile("app.exe", 5));
        w_.frm->DrawGrid1()->SetColCount(4);
        w_.frm->DrawGrid1()->SetRowCount(2);
        w_.frm->DrawGrid1()->FocusCell(3, 1);
        shown = true;
        SaveIcon([](QFileDialog*) {}, &shown);
        QTRY_VERIFY(!shown);
    }

    void formatFollowsTheFilterEntryAlone_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("bitmap named .ico") << 2 << "picture.ico" << "picture.ico" << QByteArray("BM");
        QTest::newRow("a point in the name") << 1 << "my.icons" << "my.icons" << QByteArray("\0\0\1\0", 4);
        QTest::newRow("no extension, icon") << 1 << "x" << "x.ico" << QByteArray("\0\0\1\0", 4);
        QTest::newRow("no extension, bitmap") << 2 << "x" << "x.bmp" << QByteArray("BM");
    }
    void formatFollowsTheFilterEntryAlone()
    {
        QFETCH(int, entry);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QByteArray, magic);
        QVERIFY(w_.ScanFile("app.exe", 5));
        TDrawGrid* grid = w_.frm->DrawGrid1();
        grid->FocusCell(3, 0);
        w_.Icons().MarkIcon(1);
        const TGridRect selection = grid->Selection();
        QString proposed;
        SaveIcon([&](QFileDialog* d) {
            proposed = NameBox(d)->text();
            d->setDirectory(w_.dir->path());
            ChooseEntry(d, entry);
            Type(d, typed.toStdString());
        });
        QCOMPARE(proposed, QStringLiteral("app-3"));
        QVERIFY(Contents(w_.Path(written.toUtf8())).startsWith(magic));
        QStringList files { QStringLiteral("app.exe"), written };
        files.sort();
        QCOMPARE(QDir(w_.dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
        // Nothing else changes: marks, cells, the selection, the icon object.
        QCOMPARE(w_.Icons().CountMarkedIcons(), 1u);
        QVERIFY(w_.Icons()[1].Marked);
        QCOMPARE(w_.Icons().size(), 5u);
        QCOMPARE(grid->Selection(), selection);
        QVERIFY(w_.frm->WorkIcon()->Empty());
    }

    // A name typed without an extension is completed, and the completed name
    // is asked about, by the program: whichever dialog runs, it asked about
    // the name typed only. A name typed with its extension was asked about
    // by the dialog and is not asked about again.
    void replaceQuestionNamesTheFinalFile_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("link");
        QTest::addColumn<bool>("yes");
        QTest::newRow("x over x.ico, yes") << "x" << false << true;
        QTest::newRow("x over x.ico, no") << "x" << false << false;
        QTest::newRow("x over a dangling link x.ico, no") << "x" << true << false;
        QTest::newRow("x.ico over x.ico, yes in the dialog") << "x.ico" << false << true;
    }
    void replaceQuestionNamesTheFinalFile()
    {
        QFETCH(QString, typed);
        QFETCH(bool, link);
        QFETCH(bool, yes);
        QVERIFY(w_.ScanFile("app.exe", 1));
        const QString existing = QString::fromStdString(w_.Path("x.ico"));
        if (link) {
            QVERIFY(QFile::link(w_.dir->filePath(QStringLiteral("nowhere")), existing));
        } else {
            QFile old(existing);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        }
        w_.answer = yes ? MessageAnswer::Yes : MessageAnswer::No;
        QString suffix = QStringLiteral("not read");
        int dialogQuestions = 0;
        SaveIcon([&](QFileDialog* d) {
            d->setDirectory(w_.dir->path());
            ChooseEntry(d, 2);
            ChooseEntry(d, 1);
            suffix = d->defaultSuffix();
            if (!suffix.isEmpty())
                return; // the dialog would ask about x.ico itself, unseen here
            WhenShown<QMessageBox>([&](QMessageBox* box) {
                ++dialogQuestions;
                box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            Type(d, typed.toStdString());
        });
        QCOMPARE(suffix, QString());
        const bool completed = !typed.contains(QLatin1Char('.'));
        QCOMPARE(dialogQuestions, completed ? 0 : 1);
        QCOMPARE(w_.boxes.size(), completed ? 1 : 0);
        if (completed) {
            QCOMPARE(w_.boxes[0].kind, MessageKind::Question);
            QCOMPARE(w_.boxes[0].caption, QStringLiteral("Orbisk 1.2"));
            QCOMPARE(w_.boxes[0].text, QStringLiteral("x.ico already exists.\nDo you want to replace it?"));
        }
        if (yes)
            QVERIFY(Contents(w_.Path("x.ico")).startsWith(QByteArray("\0\0\1\0", 4)));
        else if (link)
            QVERIFY(QFileInfo(existing).isSymLink() && !QFile::exists(w_.dir->filePath(QStringLiteral("nowhere"))));
        else
            QCOMPARE(Contents(w_.Path("x.ico")), QByteArray("old"));
        QVERIFY(!QFile::exists(QString::fromStdString(w_.Path("x"))));
    }

    void filterEntryOfTheLastConfirmedSaveComesBack()
    {
        QVERIFY(w_.ScanFile("app.exe", 1));
        QStringList opened;
        const auto firstOpen = [&](QFileDialog* d) {
            opened << d->selectedNameFilter();
            d->setDirectory(w_.dir->path());
            ChooseEntry(d, 2);
            Type(d, "a");
        };
        const auto cancelled = [&](QFileDialog* d) {
            opened << d->selectedNameFilter();
            ChooseEntry(d, 1);
            d->reject();
        };
        SaveIcon(firstOpen);
        SaveIcon(cancelled);
        SaveIcon(cancelled);
        QCOMPARE(opened, (QStringList { "*.ico", "*.bmp", "*.bmp" }));
        QVERIFY(Contents(w_.Path("a.bmp")).startsWith("BM"));
    }

    void aFileThatCannotBeWrittenIsReportedAndNothingIsLeft_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("read-only folder") << "ro";
        QTest::newRow("missing folder") << "missing";
    }
    void aFileThatCannotBeWrittenIsReportedAndNothingIsLeft()
    {
        QFETCH(QString, folder);
        QVERIFY(w_.ScanFile("app.exe", 1));
        QVERIFY(QDir(w_.dir->path()).mkdir(QStringLiteral("ro")));
        ::chmod(w_.Path("ro").c_str(), 0555);
        ::chmod(w_.dir->path().toUtf8().constData(), 0755);
        const std::string target = w_.Path(folder.toUtf8()) + "/icon.ico";
        {
            AsOrdinaryUser user;
            SaveIcon([&](QFileDialog* d) { Type(d, target); });
        }
        QCOMPARE(w_.boxes.size(), 1);
        QCOMPARE(w_.boxes[0].kind, MessageKind::Error);
        QCOMPARE(w_.boxes[0].text, QString::fromStdString("Cannot create file " + target + "."));
        QCOMPARE(QDir(w_.Path("ro").c_str()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
        QVERIFY(w_.frm->WorkIcon()->Empty());
        // The window goes on: the next save works.
        SaveIcon([&](QFileDialog* d) { Type(d, w_.Path("ok.ico")); });
        QVERIFY(!Contents(w_.Path("ok.ico")).isEmpty());
    }

    // The options reach the next scan, the next saves and the settings file.
    void newSettingsAreUsedFromTheNextScanAndSaveOn()
    {
        QVERIFY(w_.ScanFile("app.exe", 2));
        w_.Icons().MarkIcon(0);
        WhenShown<TOptionsDlg>([](TOptionsDlg* d) {
            d->findChild<QCheckBox*>(QStringLiteral("cbSUBFolders"))->setChecked(true);
            d->findChild<QComboBox*>(QStringLiteral("ColorsComboBox"))->setCurrentIndex(2); // 256 colors
            d->findChild<QComboBox*>(QStringLiteral("FileTypesCombo"))->setCurrentIndex(1); // Bitmap
            d->findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
        });
        w_.Command("SettingsAct")->trigger();
        QVERIFY(w_.frm->Settings().WithSub);

        SaveIcon([&](QFileDialog* d) { Type(d, w_.Path("deep.ico")); });
        const QByteArray icon = Contents(w_.Path("deep.ico"));
        QVERIFY(icon.size() > 37);
        QCOMPARE(int(icon[36]), 8); // bits per pixel of the image

        const std::string out = w_.Path("out");
        WhenShown<TSelectDirDlg>([&](TSelectDirDlg* d) {
            d->findChild<QLineEdit*>(QStringLiteral("EditBox"))->setText(QString::fromStdString(out));
            d->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        });
        w_.Command("SaveSelected")->trigger();
        QVERIFY(Contents(out + "/icon1.bmp").startsWith("BM"));

        w_.frm->BeginScan(w_.dir->path().toStdString());
        QVERIFY(w_.frm->Engine()->WithSub());
        const std::string ini = w_.frm->SettingsFileName();
        w_.frm->close();
        const QByteArray stored = Contents(ini);
        for (const char* line : { "WithSub=1", "SaveColors=256", "SaveFileExt=1" })
            QVERIFY2(stored.contains(line), stored.constData());
    }
};

QTEST_MAIN(SaveIconTest)
#include "SaveIconTest.moc"

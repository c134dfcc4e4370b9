#include "SaveTestSupport.h"

#include "export/SaveColors.h"
#include "export/TafIcon.h"
#include "shell/browser/SelectDirDlg.h"
#include "ui/SaveMarkedDlg.h"
#include "widgets/MessageBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <atomic>
#include <thread>

using namespace orbisk;
using namespace orbisk::test;
using namespace std::chrono_literals;

class SaveSelectedTest : public QObject {
    Q_OBJECT

    WindowFixture w_;
    std::atomic<int> calls_ { 0 };
    std::atomic<bool> release_ { false };

    TSaveMarkedDlg* Dialog() const { return w_.frm->SaveMarkedDlg(); }
    bool Exists(const std::string& path) const { return QFile::exists(QString::fromStdString(path)); }
    std::vector<bool> Marks() const
    {
        std::vector<bool> marks;
        for (std::size_t i = 0; i < w_.Icons().size(); ++i)
            marks.push_back(w_.Icons()[i].Marked);
        return marks;
    }
    // Icon holdAt waits in its writer until release_ is set; icon failAt fails.
    void UseHoldingWriter(int holdAt, int failAt = 0)
    {
        Dialog()->Batch().SetWriter([this, holdAt, failAt](OutputStream& stream, const TafIcon& icon) {
            const int call = ++calls_;
            while (call == holdAt && !release_)
                std::this_thread::sleep_for(1ms);
            if (call == failAt)
                throw EWriteError();
            TafIcon::WriteIconStream(stream, icon.Handle(), TrueColor32);
        });
    }
    // Save selected icons into folder, typed in the folder browser.
    void SaveSelectedInto(const std::string& folder)
    {
        WhenShown<TSelectDirDlg>([folder](TSelectDirDlg* d) {
            d->findChild<QLineEdit*>(QStringLiteral("EditBox"))->setText(QString::fromStdString(folder));
            d->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        });
        w_.Command("SaveSelected")->trigger();
    }
    // Starts a batch of five icons into out and cancels it (0: Cancel, 1:
    // Esc, 2: the close box) while the second is being written; the worker
    // goes on holding it.
    void StartAndCancel(int how, int failAt = 0)
    {
        QVERIFY(w_.ScanFile("app.exe", 5));
        w_.Icons().MarkAllIcons();
        UseHoldingWriter(2, failAt);
        WhenReady([this] { return Dialog()->isVisible() && calls_ >= 2; },
                  [this, how] {
                      if (how == 0)
                          Dialog()->findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
                      else if (how == 1)
                          QTest::keyClick(Dialog(), Qt::Key_Escape);
                      else
                          Dialog()->close();
                  });
        SaveSelectedInto(w_.Path("out"));
        // Closed at once, while the icon in hand is still being written.
        QVERIFY(!Dialog()->isVisible());
        QVERIFY(Dialog()->Batch().Running());
    }

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Orbisk 1.2")); }
    void init()
    {
        w_.Init();
        calls_ = 0;
        release_ = false;
    }
    void cleanup()
    {
        release_ = true;
        w_.Cleanup();
    }

    void nothingMarkedOpensNothing()
    {
        QVERIFY(w_.ScanFile("app.exe", 3));
        bool shown = true;
        WhenShown<QDialog>([](QDialog*) {}, &shown);
        w_.Command("SaveSelected")->trigger();
        QTRY_VERIFY(!shown);
    }

    void savesTheMarkedIconsIntoANewFolder()
    {
        QVERIFY(w_.ScanFile("app.exe", 10));
        for (int i : { 2, 7, 9 })
            w_.Icons().MarkIcon(std::size_t(i));
        // The folder browser cancelled: nothing happens.
        WhenShown<TSelectDirDlg>([](TSelectDirDlg* d) { d->reject(); });
        w_.Command("SaveSelected")->trigger();
        QCOMPARE(w_.Icons().CountMarkedIcons(), 3u);

        const std::string folder = w_.Path("new/deeper");
        SaveSelectedInto(folder);
        for (const char* name : { "/icon1.ico", "/icon2.ico", "/icon3.ico" })
            QVERIFY2(Exists(folder + name), name);
        QVERIFY(!Exists(folder + "/icon4.ico"));
        QVERIFY(!w_.Icons().AnyIconMarked());
        QVERIFY(!Dialog()->isVisible());
        QCOMPARE(Dialog()->windowTitle(), QStringLiteral("Saving icons"));
        QCOMPARE(Dialog()->size(), QSize(310, 94));
        QCOMPARE(Dialog()->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QString::fromStdString("Saving icons to " + folder));
        const auto* bar = Dialog()->findChild<QProgressBar*>(QStringLiteral("ProgressBar"));
        QCOMPARE(bar->maximum(), 3);
        QCOMPARE(bar->value(), 3);
        QVERIFY(w_.boxes.isEmpty());
    }

    // Cancel, Esc and the close box close the dialog at once; the worker ends
    // after the icon in hand.
    void cancelStopsAfterTheIconInHand_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }
    void cancelStopsAfterTheIconInHand()
    {
        QFETCH(int, how);
        StartAndCancel(how);
        release_ = true;
        w_.frm->StopBackgroundWork();
        QVERIFY(!Dialog()->Batch().Running());
        const std::string out = w_.Path("out");
        QVERIFY(Exists(out + "/icon1.ico") && Exists(out + "/icon2.ico"));
        QVERIFY(!Exists(out + "/icon3.ico"));
        QCOMPARE(Marks(), (std::vector<bool> { false, false, true, true, true }));
    }

    // Whatever comes right after a Cancel waits for a worker that ends soon,
    // and sees its error box first.
    void commandsAfterCancelWaitForTheWorker_data()
    {
        QTest::addColumn<QString>("command");
        for (const char* command : { "DeleteSelected", "scan", "SaveSelected", "GoodBy" })
            QTest::newRow(command) << command;
    }
    void commandsAfterCancelWaitForTheWorker()
    {
        QFETCH(QString, command);
        StartAndCancel(0, 1);
        // Released just before the command, which waits for the rest of the
        // write.
        release_ = true;
        if (command == "scan")
            w_.frm->BeginScan(w_.dir->path().toStdString());
        else {
            if (command == "SaveSelected")
                WhenShown<TSelectDirDlg>([](TSelectDirDlg* d) { d->reject(); });
            w_.Command(command.toLatin1())->trigger();
        }
        QVERIFY(!w_.boxes.isEmpty());
        QCOMPARE(w_.boxes[0].kind, MessageKind::Plain);
        QCOMPARE(w_.boxes[0].text, QString::fromStdString("Error saving " + w_.Path("app.exe") + " #0 to "
                                                          + w_.Path("out") + "/icon1.ico\n"));
        QVERIFY(Exists(w_.Path("out/icon2.ico")));
        if (command == "GoodBy") {
            QTRY_VERIFY(w_.frm.isNull());
            return;
        }
        QVERIFY(!Dialog()->Batch().Running());
        if (command == "DeleteSelected") {
            QCOMPARE(w_.boxes.size(), 2);
            QCOMPARE(w_.Icons().size(), 2u);
        }
        if (command == "SaveSelected")
            QCOMPARE(w_.Icons().CountMarkedIcons(), 3u);
    }

    // A scan may start while the error box is up (the folder tree follows a
    // change on disk): it must not wait for the box that waits for it.
    void aScanStartedUnderTheErrorBoxEndsTheBatch()
    {
        QVERIFY(w_.ScanFile("app.exe", 3));
        w_.Icons().MarkAllIcons();
        UseHoldingWriter(0, 1);
        release_ = true;
        const std::string folder = w_.dir->path().toStdString();
        SetMessageBoxHook([&](MessageRequest& r) {
            if (r.kind == MessageKind::Confirm)
                return;
            w_.boxes << r;
            w_.frm->BeginScan(folder);
        });
        SaveSelectedInto(w_.Path("out"));
        QCOMPARE(w_.boxes.size(), 1);
        QVERIFY(w_.boxes[0].text.startsWith(QLatin1String("Error saving ")));
        QVERIFY(!Dialog()->isVisible());
        QVERIFY(!Dialog()->Batch().Running());
        QCOMPARE(w_.frm->Engine()->ScanRoot(), folder);
    }
};

QTEST_MAIN(SaveSelectedTest)
#include "SaveSelectedTest.moc"

// The window on a disk that stops answering (a FUSE mount whose gate the
// test closes): Cancel and Exit during a batch into it, a tooltip and Copy
// of an icon on it, a new scan and Exit afterwards, and the file list's
// read of it. None of them may hold the window; what was stuck is left
// behind and ends once the disk answers again.
#include "SaveTestSupport.h"

#include "platform/jobs/Job.h"
#include "platform/namespace/PathParsing.h"
#include "shell/browser/SelectDirDlg.h"
#include "shell/controls/FolderReader.h"
#include "shell/items/ShellItem.h"
#include "tests/support/GateFs.h"
#include "ui/DrawGrid.h"
#include "ui/SaveMarkedDlg.h"

#include <QElapsedTimer>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>

#include <fstream>
#include <optional>

using namespace orbisk;
using namespace orbisk::test;

namespace {

// Far above the 100 ms a stop may wait: only a window that waits for the
// disk fails it.
constexpr qint64 HangMs = 3000;

void WaitForNoneLeftBehind()
{
    QTRY_COMPARE_WITH_TIMEOUT(Job::LeftBehind(), 0, 20000);
}

} // namespace

class HungDiskTest : public QObject {
    Q_OBJECT

    WindowFixture w_;
    std::optional<GateFs> fs_;

    // Scans the one file name on the mount, which holds count icons.
    bool ScanOnMount(const char* name, int count)
    {
        const std::string path = (fs_->MountPoint() / name).string();
        std::ofstream(fs_->SourceFolder() / name) << "MZ";
        w_.frm->Engine()->SetHooks({ [count](const std::string&, int n) -> HICON {
                                        return n < count ? SolidIcon(0xff0000ffu) : nullptr;
                                    },
                                     {} });
        w_.frm->BeginScan(path, true);
        return w_.frm->Engine()->WaitForScan(std::chrono::seconds(20)) && w_.Icons().size() == std::size_t(count);
    }
    // Closes the window as its close box does, until it is gone; how long
    // that took.
    qint64 CloseWindow()
    {
        QElapsedTimer took;
        took.start();
        w_.frm->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const qint64 elapsed = took.elapsed();
        qInfo("closing the window took %lld ms", elapsed);
        return w_.frm.isNull() ? elapsed : HangMs;
    }

private slots:
    void init()
    {
        if (!GateFs::Available())
            QSKIP(GateFs::WhyUnavailable().c_str());
        fs_.emplace();
        w_.Init();
    }
    void cleanup()
    {
        w_.Cleanup();
        fs_.reset(); // opens the gate: whatever was stuck ends
        WaitForNoneLeftBehind();
    }

    void cancelThenExitDuringABatchIntoAFolderThatStopsAnswering()
    {
        QVERIFY(w_.ScanFile("app.exe", 5));
        w_.Icons().MarkAllIcons();
        std::filesystem::create_directory(fs_->SourceFolder() / "out");
        fs_->CloseAfterWrites(1);
        TSaveMarkedDlg* dialog = w_.frm->SaveMarkedDlg();
        qint64 cancelTook = -1;
        WhenReady([&] { return dialog->isVisible() && fs_->Read().waiting > 0; },
            [&] {
                QElapsedTimer took;
                took.start();
                dialog->findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
                cancelTook = took.elapsed();
            });
        WhenShown<TSelectDirDlg>([this](TSelectDirDlg* d) {
            d->findChild<QLineEdit*>(QStringLiteral("EditBox"))
                ->setText(QString::fromStdString((fs_->MountPoint() / "out").string()));
            d->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        });
        w_.Command("SaveSelected")->trigger();
        qInfo("Cancel took %lld ms", cancelTook);
        QVERIFY(cancelTook >= 0 && cancelTook < HangMs);
        QVERIFY(!dialog->isVisible());

        const std::string settings = w_.frm->SettingsFileName();
        QFile::remove(QString::fromStdString(settings));
        QVERIFY(CloseWindow() < HangMs);
        QVERIFY(QFile::exists(QString::fromStdString(settings)));
        QCOMPARE(Job::LeftBehind(), 1);
    }

    void aStuckTooltipAndCopyThenANewScanAndExit()
    {
        QVERIFY(ScanOnMount("lib.dll", 3));
        fs_->Close();
        TDrawGrid* grid = w_.frm->DrawGrid1();
        const QPoint at = grid->CellRect(1, 0).center();
        QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
        QElapsedTimer took;
        took.start();
        QApplication::sendEvent(grid->viewport(), &help);
        grid->FocusCell(0, 0);
        w_.Command("CopyIcon")->trigger();
        QVERIFY(took.elapsed() < HangMs);
        QVERIFY(fs_->WaitUntilWaiting(1));

        QVERIFY(w_.ScanFile("app.exe", 4)); // a new scan, elsewhere
        QVERIFY(CloseWindow() < HangMs);
        QVERIFY(Job::LeftBehind() >= 1);
    }

    void aFolderReadThatStopsAnsweringGivesWayToTheNextFolder()
    {
        std::filesystem::create_directory(fs_->SourceFolder() / "stuck");
        std::ofstream(fs_->SourceFolder() / "stuck" / "a.ico") << "x";
        QTemporaryDir other;
        QFile(other.filePath(QStringLiteral("b.ico"))).open(QIODevice::WriteOnly);
        std::vector<std::string> shown;
        // Items are made while the disk answers: naming one reads it.
        const std::optional<ItemIdList> stuck = ParseDisplayName(QString::fromStdString((fs_->MountPoint() / "stuck").string()));
        const std::optional<ItemIdList> answering = ParseDisplayName(other.path());
        QVERIFY(stuck && answering);
        const auto read = [&](TStFolderReader& reader, const ItemIdList& folder) {
            TStFolderReader::Request request;
            request.folder = std::make_unique<TStShellFolder>(folder);
            reader.Start(std::move(request), [&](TStFolderReader::Result result) {
                for (const auto& item : result.items)
                    shown.push_back(item->DisplayName().toStdString());
            });
        };
        QElapsedTimer took;
        {
            TStFolderReader reader(nullptr);
            fs_->Close();
            read(reader, *stuck);
            QVERIFY(fs_->WaitUntilWaiting(1));
            took.start();
            read(reader, *answering);
            QVERIFY(took.elapsed() < HangMs);
            QTRY_COMPARE(shown, std::vector<std::string> { "b.ico" });
            read(reader, *stuck);
            took.start();
        }
        QVERIFY(took.elapsed() < HangMs); // the list goes with its read stuck
        QVERIFY(Job::LeftBehind() >= 1);
        QCOMPARE(shown, std::vector<std::string> { "b.ico" });
    }
};

QTEST_MAIN(HungDiskTest)
#include "HungDiskTest.moc"

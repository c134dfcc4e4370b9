#include "core/ScanEngine.h"
#include "fixtures/Fixtures.h"
#include "shell/controls/TStShellTreeView.h"
#include "ui/MainForm.h"
#include "widgets/MessageBox.h"

#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

using namespace orbisk;

// A file or folder named when the program starts.
class OpenPathTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QPointer<TMainFrm> frm_;
    std::string folder_;

    // As the program starts: the path is opened before the window shows.
    void Open(const std::string& path)
    {
        frm_ = new TMainFrm(SettingsLocation { dir_->path().toStdString(), dir_->filePath("config").toStdString() });
        frm_->OpenPath(path);
        frm_->show();
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        SetMessageBoxHook([](const MessageRequest&) { });
        // A folder of two files with icons; the file opened has a name
        // that the extension filter would not take.
        folder_ = dir_->filePath("icons").toStdString();
        QDir().mkpath(QString::fromStdString(folder_));
        test::WriteFile(folder_ + "/three.icons", test::PeFile(test::Groups(3, { test::ImageSpec {} })));
        test::WriteFile(folder_ + "/other.ico", test::IcoFile({ test::ImageSpec {} }));
    }
    void cleanup()
    {
        delete frm_.data();
        SetMessageBoxHook({});
    }

    void aFileIsScannedAloneInItsFolder()
    {
        const std::string file = folder_ + "/three.icons";
        Open(file);
        QCOMPARE(frm_->Panes().StartFolder(), folder_);
        QTRY_COMPARE(frm_->Engine()->ScanRoot(), file);
        QVERIFY(frm_->Engine()->WaitForScan(std::chrono::seconds(20)));
        QVERIFY(frm_->Engine()->OneFileMode());
        QCOMPARE(frm_->Engine()->Icons().size(), std::size_t(3));
        QCOMPARE(frm_->findChild<QLabel*>("Panel7")->text(), QString::fromStdString("File: " + file));
        QTRY_COMPARE(frm_->Panes().SelectedFolderPath(), folder_);
    }

    void aFolderIsOpenedWithoutAScanAndKeptAtClose()
    {
        Open(folder_);
        QCOMPARE(frm_->Panes().StartFolder(), folder_);
        // The tree selects it when it first paints, and AutoScan (on) does
        // not take that for the user's choice.
        QTRY_VERIFY(frm_->ShellTree()->SelectedFolder() != nullptr);
        QCOMPARE(frm_->ShellTree()->SelectedFolder()->NativePath(), folder_);
        QTest::qWait(50);
        QVERIFY(frm_->Engine()->ScanRoot().empty());
        QCOMPARE(frm_->Engine()->Icons().size(), std::size_t(0));

        frm_->close();
        QFile ini(dir_->filePath("orbisk.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains(QByteArray("\nStartInFolder=") + folder_.c_str() + "\n"));
    }
};

QTEST_MAIN(OpenPathTest)
#include "OpenPathTest.moc"

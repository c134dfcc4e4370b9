#include "platform/files/FolderPath.h"
#include "shell/browser/DirectoryListBox.h"
#include "shell/browser/FileListBox.h"
#include "shell/browser/SelectDirDlg.h"
#include "shell/browser/SelectDirectory.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orbisk;

namespace {

// Runs steps on the folder browser once it is up modally; a browser still
// open afterwards is cancelled, so a failed step fails the test instead of
// leaving it waiting.
void WhenShown(std::function<void(TSelectDirDlg*)> steps)
{
    QTimer::singleShot(0, [steps] {
        if (auto* dlg = qobject_cast<TSelectDirDlg*>(QApplication::activeModalWidget()))
            steps(dlg);
        if (auto* still = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            still->reject();
    });
}

QLineEdit* EditBox(QWidget* dlg) { return dlg->findChild<QLineEdit*>(QStringLiteral("EditBox")); }
QPushButton* Button(QWidget* dlg, const char* name) { return dlg->findChild<QPushButton*>(QLatin1String(name)); }
void ClickOk(QWidget* dlg) { Button(dlg, "OKButton")->click(); }

QStringList Rows(const QListWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

constexpr SelectDirOptions CreateAsked { true, true, true };

// Removes a folder tree by its bytes: Qt's own removal cannot name entries
// that are not valid UTF-8.
void RemoveTree(const std::string& path)
{
    // Whatever cannot be removed is left; the walk goes on.
    const auto removeOne = [](const char* entry, const struct stat*, int, FTW*) {
        ::remove(entry);
        return 0;
    };
    ::nftw(path.c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace

class SelectDirectoryTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QStringList questions_;
    bool answer_ = false;

    std::string Native(const char* relative = "") const
    {
        const std::string root = dir_->path().toStdString();
        return *relative ? root + "/" + relative : root;
    }

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Orbisk 1.2")); }
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        questions_.clear();
        answer_ = false;
        SetMessageBoxHook([this](MessageRequest& r) {
            questions_ << r.text;
            r.answer = answer_ ? MessageAnswer::Yes : MessageAnswer::No;
        });
    }
    void cleanup()
    {
        SetMessageBoxHook({});
        RemoveTree(Native());
    }

    void okReturnsTheWholeFolder_data()
    {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<bool>("allowCreate");
        // A path far wider than the label that shows it.
        QByteArray deep;
        for (int i = 0; i < 6; ++i)
            deep += "/a folder with a rather long name, number " + QByteArray::number(i);
        QTest::newRow("long, label") << deep << false;
        QTest::newRow("long, edit box") << deep << true;
        QTest::newRow("root, label") << QByteArray("/") << false;
        QTest::newRow("root, edit box") << QByteArray("/") << true;
        QTest::newRow("not UTF-8, label") << QByteArray("/bad\xff\xfe name") << false;
        QTest::newRow("not UTF-8, edit box") << QByteArray("/bad\xff\xfe name") << true;
    }
    void okReturnsTheWholeFolder()
    {
        QFETCH(QByteArray, folder);
        QFETCH(bool, allowCreate);
        const std::string path = folder == "/" ? std::string("/") : Native() + folder.toStdString();
        QVERIFY(CreateFolderPath(path));

        std::string chosen = path;
        QString labelText;
        WhenShown([&](TSelectDirDlg* dlg) {
            labelText = dlg->findChild<QLabel*>(QStringLiteral("DirLabel"))->text();
            ClickOk(dlg);
        });
        QVERIFY(SelectDirectory(chosen, { allowCreate, true, true }, 0));
        QCOMPARE(QByteArray::fromStdString(chosen), QByteArray::fromStdString(path));
        QVERIFY(questions_.isEmpty());
        if (folder.size() > 200)
            QVERIFY(labelText.size() < QString::fromUtf8(path).size());
    }

    void typedNameIsTakenInsideTheFolderShownAndCreatedAfterYes()
    {
        const std::string shown = Native("shown");
        QVERIFY(CreateFolderPath(shown));
        const QString cwd = QDir::currentPath();

        std::string chosen = shown;
        QStringList afterNo;
        WhenShown([&](TSelectDirDlg* dlg) {
            EditBox(dlg)->setText(QStringLiteral("new/nested/folder"));
            ClickOk(dlg);
            if (dlg->isVisible())
                afterNo << EditBox(dlg)->text();
            answer_ = true;
            ClickOk(dlg);
        });
        QVERIFY(SelectDirectory(chosen, CreateAsked, 0));

        QCOMPARE(afterNo, QStringList { QStringLiteral("new/nested/folder") });
        QCOMPARE(questions_, QStringList(2, QStringLiteral("The specified directory does not exist. Create it?")));
        QCOMPARE(chosen, shown + "/new/nested/folder");
        QVERIFY(IsDirectory(chosen));
        QCOMPARE(QDir::currentPath(), cwd);
        QVERIFY(!QFileInfo::exists(cwd + QStringLiteral("/new")));
    }

    void typedPathBelowAFolderNotInUtf8KeepsItsBytes()
    {
        const std::string shown = Native("bad\xff name");
        QVERIFY(CreateFolderPath(shown));
        std::string chosen = shown;
        answer_ = true;
        WhenShown([&](TSelectDirDlg* dlg) {
            EditBox(dlg)->setText(EditBox(dlg)->text() + QStringLiteral("/icons"));
            ClickOk(dlg);
        });
        QVERIFY(SelectDirectory(chosen, CreateAsked, 0));
        QCOMPARE(QByteArray::fromStdString(chosen), QByteArray::fromStdString(shown + "/icons"));
        QVERIFY(IsDirectory(chosen));
    }

    void cancelLeavesTheFolderAlone_data()
    {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<bool>("opensAtCurrentFolder");
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("missing") << QByteArray("/no/such/folder") << true;
        QTest::newRow("existing") << QByteArray("/") << false;
    }
    void cancelLeavesTheFolderAlone()
    {
        QFETCH(QByteArray, folder);
        QFETCH(bool, opensAtCurrentFolder);
        std::string chosen = folder.toStdString();
        std::string opened;
        WhenShown([&](TSelectDirDlg* dlg) {
            opened = dlg->Directory();
            EditBox(dlg)->setText(QStringLiteral("typed"));
            Button(dlg, "CancelButton")->click();
        });
        QVERIFY(!SelectDirectory(chosen, CreateAsked, 0));
        QCOMPARE(QByteArray::fromStdString(chosen), folder);
        QCOMPARE(opened, opensAtCurrentFolder ? CurrentFolderPath() : folder.toStdString());
        QVERIFY(questions_.isEmpty());
    }

    void anEmptyNameCannotBeCreated()
    {
        std::string chosen = Native();
        WhenShown([](TSelectDirDlg* dlg) {
            EditBox(dlg)->clear();
            ClickOk(dlg);
        });
        try {
            SelectDirectory(chosen, { true, true, false }, 0);
            QFAIL("no error");
        } catch (const EInOutError& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Unable to create directory"));
        }
        QCOMPARE(chosen, Native());
    }

    void listsShowFoldersAndFilesOfTheFolderShown()
    {
        QDir root(dir_->path());
        for (const char* folder : { "b10", "B2", ".hidden", "sub/deeper" })
            QVERIFY(root.mkpath(QLatin1String(folder)));
        for (const char* file : { "x.ico", ".dot", "sub/inner.txt" })
            QVERIFY(QFile(root.filePath(QLatin1String(file))).open(QIODevice::WriteOnly));
        QVERIFY(::mkfifo(Native("fifo").c_str(), 0600) == 0);
        QVERIFY(::symlink("sub", Native("to sub").c_str()) == 0);
        QVERIFY(::symlink("x.ico", Native("to x").c_str()) == 0);

        TSelectDirDlg dlg(Native());
        auto* folders = dlg.findChild<TDirectoryListBox*>();
        auto* files = dlg.findChild<TFileListBox*>();
        QStringList rows = Rows(folders);
        const int current = folders->currentRow();
        QCOMPARE(rows.mid(current), QStringList({ QFileInfo(dir_->path()).fileName(), "B2", "b10", "sub", "to sub" }));
        QCOMPARE(folders->PathAt(0), std::string("/"));
        QCOMPARE(Rows(files), QStringList({ "to x", "x.ico" }));

        // Opening a sub-folder moves the lists and the edit box to it.
        dlg.SetAllowCreate(true);
        emit folders->itemDoubleClicked(folders->item(current + 3));
        QCOMPARE(dlg.Directory(), Native("sub"));
        QCOMPARE(Rows(folders).mid(folders->currentRow()), QStringList({ "sub", "deeper" }));
        QCOMPARE(Rows(files), QStringList({ "inner.txt" }));
        QCOMPARE(EditBox(&dlg)->text(), QString::fromStdString(Native("sub")));
        QCOMPARE(EditBox(&dlg)->selectedText(), EditBox(&dlg)->text());

        // Without help the Help button goes, and OK and Cancel move right.
        dlg.show();
        QVERIFY(!Button(&dlg, "HelpButton")->isVisible());
        QCOMPARE(Button(&dlg, "OKButton")->x(), 256);
        QCOMPARE(Button(&dlg, "CancelButton")->x(), 340);
        dlg.SetHelpContext(12);
        QVERIFY(Button(&dlg, "HelpButton")->isVisible());
        QCOMPARE(Button(&dlg, "OKButton")->x(), 172);
        QVERIFY(!Button(&dlg, "NetButton")->isVisible());
    }
};

QTEST_MAIN(SelectDirectoryTest)
#include "SelectDirectoryTest.moc"

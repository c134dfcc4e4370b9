#include "core/ScanEngine.h"
#include "export/SaveColors.h"
#include "ui/MainForm.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <map>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

#include <sys/stat.h>

using namespace orbisk;

class MainFormTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QList<MessageRequest> boxes_;

    QString IniPath() const { return dir_->filePath(QStringLiteral("orbisk.ini")); }
    SettingsLocation Location() const
    {
        return { dir_->path().toStdString(), dir_->filePath(QStringLiteral("config")).toStdString() };
    }
    void WriteIni(const QByteArray& text) const
    {
        QFile file(IniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray ReadIni() const
    {
        QFile file(IniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QPointer<TMainFrm> Open(const SettingsLocation& where)
    {
        QPointer<TMainFrm> frm = new TMainFrm(where);
        frm->show();
        if (!QTest::qWaitForWindowExposed(frm))
            qWarning("main window not exposed");
        return frm;
    }
    // Closes the window and waits until it has destroyed itself.
    static bool CloseAndWait(QPointer<TMainFrm>& frm)
    {
        frm->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return frm.isNull();
    }
    // The key lines of the file, in order, as "Section/Key=Value".
    QStringList KeyLines() const
    {
        QStringList lines;
        QString section;
        for (QString line : QString::fromUtf8(ReadIni()).split(QLatin1Char('\n'))) {
            line = line.trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
                continue;
            if (line.startsWith(QLatin1Char('[')))
                section = line.mid(1, line.size() - 2);
            else
                lines << section + QLatin1Char('/') + line;
        }
        return lines;
    }

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Orbisk 1.2")); }
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        boxes_.clear();
        SetMessageBoxHook([this](const MessageRequest& r) { boxes_ << r; });
    }
    void cleanup() { SetMessageBoxHook({}); }

    void firstRunGivesDefaultsAndWritesAllKeys()
    {
        QPointer<TMainFrm> frm = Open(Location());
        QCOMPARE(frm->windowTitle(), QStringLiteral("Orbisk v1.2"));
        QCOMPARE(frm->size(), QSize(713, 400));
        QVERIFY(!frm->testAttribute(Qt::WA_Moved));
        QCOMPARE(frm->findChild<QWidget*>(QStringLiteral("Panel1"))->width(), 137);
        QCOMPARE(frm->findChild<QWidget*>(QStringLiteral("Panel5"))->height(), 73);
        QCOMPARE(frm->findChild<QWidget*>(QStringLiteral("Panel7"))->height(), 18);
        QCOMPARE(frm->findChild<QWidget*>(QStringLiteral("StatusPanel0"))->width(), 70);
        QCOMPARE(frm->findChild<QWidget*>(QStringLiteral("StatusPanel1"))->width(), 100);
        // A count too long for the designed width widens its panel instead of being cut.
        auto* progress = frm->findChild<QLabel*>(QStringLiteral("StatusPanel1"));
        frm->SetStatusText(1, QStringLiteral("100000 icon(s) loaded"));
        QTRY_VERIFY(progress->width() >= progress->fontMetrics().horizontalAdvance(progress->text()));
        frm->SetStatusText(1, QString());
        QVERIFY(frm->findChild<QAction*>(QStringLiteral("LargeIconTb"))->isChecked());
        QCOMPARE(frm->Panes().ListViewStyle(), TViewStyle::vsIcon);
        QCOMPARE(frm->Settings().WithSub, false);
        QCOMPARE(frm->Settings().AutoScan, true);
        QCOMPARE(frm->Settings().FileExt, std::string(".ICO,.CUR,.EXE,.DLL,.ICL,"));
        QCOMPARE(frm->DisplayBits(), QGuiApplication::primaryScreen()->depth());
        QCOMPARE(frm->SaveColorCount(), ScreenColorCount(frm->DisplayBits()));
        QCOMPARE(frm->Panes().StartFolder(), std::string("/"));

        QVERIFY(CloseAndWait(frm));
        QVERIFY(boxes_.isEmpty());
        const QStringList expected {
            "Display/FormTop=", "Display/FormLeft=", "Display/FormWidth=713", "Display/FormHeight=400",
            "Display/Panel1Width=137", "Display/Panel5Height=73", "Display/StartInFolder=/", "Display/ListMode=1",
            "Options/WithSub=0", "Options/AutoScan=1", "Options/FileExt=.ICO,.CUR,.EXE,.DLL,.ICL,",
            "Options/SaveColors=0", "Options/SaveFileExt=0",
        };
        const QStringList lines = KeyLines();
        QCOMPARE(lines.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QVERIFY2(i < 2 ? lines[i].startsWith(expected[i]) : lines[i] == expected[i], qPrintable(lines[i]));
    }

    void storedValuesFollowTheReadingRules()
    {
        WriteIni("[Display]\nFormTop=-5\nFormLeft=100\nFormWidth=0x300\nFormHeight=  300\nPanel1Width=$C8\n"
                 "Panel5Height=10\nListMode=7\n"
                 "[Options]\nWithSub=2\nAutoScan=0\nFileExt=.ICO,\nSaveColors=256\nSaveFileExt=one\n");
        QPointer<TMainFrm> frm = Open(Location());
        QCOMPARE(frm->size(), QSize(768, 300));
        QVERIFY(!frm->testAttribute(Qt::WA_Moved));
        QCOMPARE(frm->findChild<QWidget*>(QStringLiteral("Panel1"))->width(), 200);
        QCOMPARE(frm->findChild<QWidget*>(QStringLiteral("Panel5"))->height(), 60);
        QCOMPARE(frm->ToolBar().PressedViewButton(), std::optional(TViewStyle::vsList));
        QCOMPARE(frm->Panes().ListViewStyle(), TViewStyle::vsList);
        QCOMPARE(frm->Settings().WithSub, true);
        QCOMPARE(frm->Settings().AutoScan, false);
        QCOMPARE(frm->Settings().FileExt, std::string(".ICO,"));
        QCOMPARE(frm->Settings().SaveColors, 256);
        QCOMPARE(frm->SaveColorCount(), 256);
        QCOMPARE(frm->Settings().SaveFileExt, 0);

        QVERIFY(CloseAndWait(frm));
        const QStringList lines = KeyLines();
        for (const char* line : { "Display/FormWidth=768", "Display/Panel5Height=60", "Display/StartInFolder=/",
                                  "Display/ListMode=3", "Options/WithSub=1", "Options/AutoScan=0", "Options/SaveFileExt=0" })
            QVERIFY2(lines.contains(QLatin1String(line)), line);
    }

    void saveOptionsOutsideTheirChoicesReadAsDefaults()
    {
        WriteIni("[Options]\nSaveColors=32\nSaveFileExt=-1\n");
        QPointer<TMainFrm> frm = Open(Location());
        QCOMPARE(frm->Settings().SaveColors, 0);
        QCOMPARE(frm->SaveColorCount(), ScreenColorCount(frm->DisplayBits()));
        QCOMPARE(frm->Settings().SaveFileExt, 0);
        QVERIFY(CloseAndWait(frm));
        QVERIFY(KeyLines().contains(QStringLiteral("Options/SaveFileExt=0")));
    }

    void startFolderIsTheSavedOneWhileItIsAFolder_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("kept");
        QTest::newRow("folder") << "icons" << true;
        QTest::newRow("folder/") << "icons/" << true;
        QTest::newRow("file") << "icons/a.ico" << false;
        QTest::newRow("fifo") << "fifo" << false;
        QTest::newRow("gone") << "gone" << false;
        QTest::newRow("relative") << "" << false;
    }
    void startFolderIsTheSavedOneWhileItIsAFolder()
    {
        QFETCH(QString, saved);
        QFETCH(bool, kept);
        QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("icons")));
        QFile(dir_->filePath(QStringLiteral("icons/a.ico"))).open(QIODevice::WriteOnly);
        QCOMPARE(::mkfifo(QFile::encodeName(dir_->filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
        const QString path = saved.isEmpty() ? QStringLiteral("icons") : dir_->filePath(saved);
        WriteIni("[Display]\nStartInFolder=" + path.toUtf8() + "\n");
        QPointer<TMainFrm> frm = Open(Location());
        const std::string expected = kept ? dir_->filePath(QStringLiteral("icons")).toStdString() : "/";
        QCOMPARE(frm->Panes().StartFolder(), expected);
        QVERIFY(CloseAndWait(frm));
        QVERIFY(KeyLines().contains(QStringLiteral("Display/StartInFolder=") + QString::fromStdString(expected)));
    }

    void storedPositionNeedsBothEdges()
    {
        WriteIni("[Display]\nFormTop=40\nFormLeft=50\n");
        QPointer<TMainFrm> frm = Open(Location());
        QVERIFY(frm->testAttribute(Qt::WA_Moved));
        QCOMPARE(frm->pos(), QPoint(50, 40));
        QVERIFY(CloseAndWait(frm));
        WriteIni("[Display]\nFormTop=40\nFormLeft=-1\n");
        frm = Open(Location());
        QVERIFY(!frm->testAttribute(Qt::WA_Moved));
        QVERIFY(CloseAndWait(frm));
    }

    // Closing reads the file once and replaces it once, whatever the number
    // of keys.
    void closeWritesTheFileOnce()
    {
        WriteIni("; mine\n[Display]\nFormWidth=600\n");
        QPointer<TMainFrm> frm = Open(Location());
        const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(fd >= 0);
        QVERIFY(inotify_add_watch(fd, QFile::encodeName(dir_->path()).constData(),
                                  IN_OPEN | IN_CLOSE_WRITE | IN_MOVED_TO) >= 0);
        QVERIFY(CloseAndWait(frm));
        std::map<uint32_t, int> counts; // event -> how often, for orbisk.ini and its temporary files
        alignas(inotify_event) char buffer[65536];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len) {
                const auto* e = reinterpret_cast<inotify_event*>(p);
                if (e->len > 0 && std::string(e->name).find("orbisk.ini") != std::string::npos)
                    ++counts[e->mask & (IN_OPEN | IN_CLOSE_WRITE | IN_MOVED_TO)];
            }
        close(fd);
        QCOMPARE(counts[IN_OPEN], 2); // the read, the new file
        QCOMPARE(counts[IN_CLOSE_WRITE], 1);
        QCOMPARE(counts[IN_MOVED_TO], 1);
        QVERIFY(ReadIni().startsWith("; mine\n[Display]\nFormWidth=600\n"));
        QCOMPARE(KeyLines().size(), 13);
    }

    void listModePressesItsButton_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("written");
        const int icon = int(TViewStyle::vsIcon), list = int(TViewStyle::vsList), report = int(TViewStyle::vsReport);
        QTest::newRow("1") << QByteArray("1") << "LargeIconTb" << icon << "1";
        QTest::newRow("2") << QByteArray("2") << "SmallIconTb" << int(TViewStyle::vsSmallIcon) << "2";
        QTest::newRow("3") << QByteArray("3") << "ListTb" << list << "3";
        QTest::newRow("hex 4") << QByteArray("0x4") << "ReportTb" << report << "4";
        QTest::newRow("7") << QByteArray("7") << "ListTb" << list << "3";
        QTest::newRow("0") << QByteArray("0") << "" << list << "3";
        QTest::newRow("-1") << QByteArray("-1") << "" << list << "3";
        QTest::newRow("junk") << QByteArray("list") << "LargeIconTb" << icon << "1";
    }
    void listModePressesItsButton()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, pressed);
        QFETCH(int, style);
        QFETCH(QString, written);
        WriteIni("[Display]\nListMode=" + stored + "\n");
        QPointer<TMainFrm> frm = Open(Location());
        for (const char* name : { "LargeIconTb", "SmallIconTb", "ListTb", "ReportTb" })
            QCOMPARE(frm->findChild<QAction*>(QLatin1String(name))->isChecked(), pressed == QLatin1String(name));
        QCOMPARE(int(frm->Panes().ListViewStyle()), style);
        QVERIFY(CloseAndWait(frm));
        QVERIFY(KeyLines().contains(QStringLiteral("Display/ListMode=") + written));
    }

    void viewButtonsStayExclusive()
    {
        WriteIni("[Display]\nListMode=0\n");
        QPointer<TMainFrm> frm = Open(Location());
        auto* small = frm->findChild<QAction*>(QStringLiteral("SmallIconTb"));
        auto* report = frm->findChild<QAction*>(QStringLiteral("ReportTb"));
        small->trigger();
        QCOMPARE(frm->ToolBar().PressedViewButton(), std::optional(TViewStyle::vsSmallIcon));
        QCOMPARE(frm->Panes().ListViewStyle(), TViewStyle::vsSmallIcon);
        report->trigger();
        report->trigger();
        QVERIFY(report->isChecked());
        QVERIFY(!small->isChecked());
        QCOMPARE(frm->Panes().ListViewStyle(), TViewStyle::vsReport);
        QVERIFY(CloseAndWait(frm));
        QVERIFY(KeyLines().contains(QStringLiteral("Display/ListMode=4")));
    }

    void unknownLinesSurviveAClose()
    {
        const QByteArray original = "; kept by hand\r\n"
                                    "[Display]\r\n"
                                    "Zoom = 3 ; mine\r\n"
                                    "formwidth=600\r\n"
                                    "\r\n"
                                    "[Recent]\r\n"
                                    "File1=/tmp/a.ico\r\n";
        WriteIni(original);
        QPointer<TMainFrm> frm = Open(Location());
        QCOMPARE(frm->width(), 600);
        QVERIFY(CloseAndWait(frm));

        const QByteArray after = ReadIni();
        QCOMPARE(after.count("\r\n"), after.count('\n'));
        QCOMPARE(after.toLower().count("formwidth="), 1);
        QVERIFY(after.startsWith("; kept by hand\r\n[Display]\r\nZoom = 3 ; mine\r\nFormWidth=600\r\n"));
        QVERIFY(after.contains("\r\n\r\n[Recent]\r\nFile1=/tmp/a.ico\r\n"));
        QCOMPARE(KeyLines().size(), 13 + 2);
    }

    void unwritableSettingsStillClose()
    {
        // The settings path is a folder, which no write can replace (root
        // included).
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("orbisk.ini")));
        QPointer<TMainFrm> frm = Open(Location());
        QCOMPARE(frm->Panes().ListViewStyle(), TViewStyle::vsIcon);
        frm->close();
        frm->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(frm.isNull());
        QCOMPARE(boxes_.size(), 1);
        QCOMPARE(boxes_[0].kind, MessageKind::Error);
        QCOMPARE(boxes_[0].caption, QStringLiteral("Orbisk 1.2"));
        QCOMPARE(boxes_[0].text, QStringLiteral("Unable to write to %1.").arg(IniPath()));
        QVERIFY(QFileInfo(IniPath()).isDir());
        QCOMPARE(QDir(dir_->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
    }

    void missingSettingsPlaceUsesDefaults()
    {
        QPointer<TMainFrm> frm = Open({ "", "" });
        QCOMPARE(boxes_.size(), 1);
        QCOMPARE(boxes_[0].kind, MessageKind::Plain);
        QCOMPARE(boxes_[0].text, QStringLiteral("Can not create file orbisk.ini"));
        QVERIFY(frm->ToolBar().PressedViewButton() == TViewStyle::vsIcon);
        QVERIFY(CloseAndWait(frm));
        QCOMPARE(boxes_.size(), 1);

        // A program folder the user cannot write sends the file to the
        // configuration folder.
        frm = Open({ dir_->filePath(QStringLiteral("gone")).toStdString(), Location().configHome });
        QVERIFY(CloseAndWait(frm));
        QVERIFY(QFileInfo::exists(dir_->filePath(QStringLiteral("config/orbisk/orbisk.ini"))));
    }

    void closeEndsARunningScanFirst()
    {
        QDir scanDir(dir_->filePath(QStringLiteral("icons")));
        QVERIFY(scanDir.mkpath(QStringLiteral(".")));
        for (int i = 0; i < 200; ++i)
            QFile(scanDir.filePath(QStringLiteral("i%1.ico").arg(i))).open(QIODevice::WriteOnly);

        std::atomic<int> entries { 0 };
        std::atomic<bool> settingsSeenDuringScan { false };
        const std::string ini = IniPath().toStdString();
        QPointer<TMainFrm> frm = Open(Location());
        frm->Engine()->SetHooks({ {}, [&] {
                                     ++entries;
                                     if (QFileInfo::exists(QString::fromStdString(ini)))
                                         settingsSeenDuringScan = true;
                                     std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                 } });
        frm->BeginScan(scanDir.path().toStdString());
        QTRY_VERIFY(entries > 0);
        QVERIFY(CloseAndWait(frm));
        QVERIFY(entries < 200);
        QVERIFY(!settingsSeenDuringScan);
        QCOMPARE(KeyLines().size(), 13);
    }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"

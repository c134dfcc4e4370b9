// Whole icon groups from the grid: Save icon group..., Copy and Ctrl+C, and
// the cells' size tooltips, on a library whose second icon holds 16, 32 and
// 48 pixel bitmaps and a 256 pixel PNG.

#include "SaveTestSupport.h"

#include "fixtures/ExpectedImage.h"
#include "fixtures/Fixtures.h"
#include "platform/extract/IconGroup.h"
#include "ui/DrawGrid.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QToolTip>

using namespace orbisk;
using namespace orbisk::test;

namespace {

const ImageSpec kLargest { .width = 256, .height = 256, .pixel = AlphaPattern(1), .png = true };

// Icon 0 holds 16 and 48 pixels; icon 1 every size up to the PNG.
std::vector<GroupSpec> LibraryGroups()
{
    return { GroupSpec { .images = { ImageSpec { .width = 16, .height = 16, .bits = 4 },
                                     ImageSpec { .width = 48, .height = 48 } } },
             GroupSpec { .images = { ImageSpec { .width = 16, .height = 16, .bits = 4 },
                                     ImageSpec { .width = 32, .height = 32, .bits = 8 },
                                     ImageSpec { .width = 48, .height = 48, .pixel = AlphaPattern(2) }, kLargest } } };
}

QImage Argb(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32); }

} // namespace

class IconGroupTest : public QObject {
    Q_OBJECT

    WindowFixture w_;
    std::string library_;

    bool ScanLibrary()
    {
        library_ = w_.Path("lib.dll");
        if (!WriteFile(library_, PeFile(LibraryGroups())))
            return false;
        w_.frm->BeginScan(library_, true);
        if (!w_.frm->Engine()->WaitForScan(std::chrono::seconds(20)) || w_.Icons().size() != 2)
            return false;
        // A third cell, which shows no icon.
        w_.frm->DrawGrid1()->SetColCount(3);
        return true;
    }
    static const QMimeData* Clipboard() { return QGuiApplication::clipboard()->mimeData(); }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Orbisk 1.2"));
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    }
    void init()
    {
        w_.Init();
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() { w_.Cleanup(); }

    void copyPutsTheLargestImageOnTheClipboard()
    {
        QVERIFY(ScanLibrary());
        TDrawGrid* grid = w_.frm->DrawGrid1();
        grid->FocusCell(1, 0);
        w_.Command("CopyIcon")->trigger();
        QVERIFY(Clipboard() && Clipboard()->hasImage());
        QCOMPARE(Argb(qvariant_cast<QImage>(Clipboard()->imageData())), ExpectedImage(kLargest));
        QImage png;
        QVERIFY(png.loadFromData(Clipboard()->data(QStringLiteral("image/png")), "PNG"));
        QCOMPARE(Argb(png), ExpectedImage(kLargest));

        // Ctrl+C in the grid copies the current icon, here the first.
        w_.frm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w_.frm));
        grid->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), grid);
        grid->FocusCell(0, 0);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(qvariant_cast<QImage>(Clipboard()->imageData()).size(), QSize(48, 48));

        // A cell past the last icon copies nothing and says nothing.
        QGuiApplication::clipboard()->clear();
        grid->FocusCell(2, 0);
        w_.Command("CopyIcon")->trigger();
        QVERIFY(!Clipboard() || !Clipboard()->hasImage());
        QVERIFY(w_.boxes.isEmpty());
    }

    void saveIconGroupWritesTheWholeGroupOrTheLargestImage_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("written");
        QTest::newRow("icon file") << 1 << "group.ico";
        QTest::newRow("png") << 2 << "group.png";
    }
    void saveIconGroupWritesTheWholeGroupOrTheLargestImage()
    {
        QFETCH(int, entry);
        QFETCH(QString, written);
        QVERIFY(ScanLibrary());
        w_.frm->DrawGrid1()->FocusCell(1, 0);
        QStringList filters;
        WhenShown<QFileDialog>([&](QFileDialog* d) {
            filters = d->nameFilters();
            if (entry == 2)
                QTest::keyClick(d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_Down);
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setText(QString::fromStdString(w_.Path("group")));
            QTest::keyClick(name, Qt::Key_Return);
        });
        w_.Command("SaveIconGroup")->trigger();
        QCOMPARE(filters,
                 (QStringList { "Icon file with all sizes (*.ico)", "PNG image, largest size (*.png)" }));
        QVERIFY(w_.boxes.isEmpty());
        const std::string saved = w_.Path(written.toLatin1().constData());
        if (entry == 2) {
            QCOMPARE(Argb(QImage(QString::fromStdString(saved), "PNG")), ExpectedImage(kLargest));
            return;
        }
        auto source = ReadIconGroup(library_, 1);
        auto copy = ReadIconGroup(saved, 0);
        QVERIFY(source && copy);
        QCOMPARE(copy->images.size(), std::size_t(4));
        for (std::size_t i = 0; i < copy->images.size(); ++i) {
            QCOMPARE(copy->images[i].width, source->images[i].width);
            QVERIFY(copy->images[i].format == source->images[i].format);
            QVERIFY(copy->images[i].bytes == source->images[i].bytes);
        }
    }

    // A bitmap has no group: its icon file holds the one icon the grid shows.
    void aBitmapsIconFileHoldsTheIconItShows()
    {
        const std::string bitmap = w_.Path("picture.bmp");
        QVERIFY(WriteFile(bitmap, BmpFile(ImageSpec { .width = 32, .height = 32, .pixel = AlphaPattern(3) })));
        w_.frm->BeginScan(bitmap, true);
        QVERIFY(w_.frm->Engine()->WaitForScan(std::chrono::seconds(20)) && w_.Icons().size() == 1);
        w_.frm->DrawGrid1()->FocusCell(0, 0);
        WhenShown<QFileDialog>([&](QFileDialog* d) {
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setText(QString::fromStdString(w_.Path("picture")));
            QTest::keyClick(name, Qt::Key_Return);
        });
        w_.Command("SaveIconGroup")->trigger();
        QVERIFY(w_.boxes.isEmpty());
        auto copy = ReadIconGroup(w_.Path("picture.ico"), 0);
        QVERIFY(copy);
        QCOMPARE(copy->images.size(), std::size_t(1));
        QCOMPARE(copy->images[0].width, 32);
    }

    // The dialog asks about the name typed only; the name completed with the
    // chosen entry's extension is asked about by the command.
    void aNameCompletedOverAnExistingFileIsAskedAbout()
    {
        QVERIFY(ScanLibrary());
        w_.frm->DrawGrid1()->FocusCell(1, 0);
        QFile old(QString::fromStdString(w_.Path("group.png")));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        w_.answer = MessageAnswer::No;
        int dialogQuestions = 0;
        WhenShown<QFileDialog>([&](QFileDialog* d) {
            QTest::keyClick(d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_Down);
            WhenShown<QMessageBox>([&](QMessageBox* box) {
                ++dialogQuestions;
                box->button(QMessageBox::No)->click();
            });
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setText(QString::fromStdString(w_.Path("group")));
            QTest::keyClick(name, Qt::Key_Return);
        });
        w_.Command("SaveIconGroup")->trigger();
        QCOMPARE(dialogQuestions, 0);
        QCOMPARE(w_.boxes.size(), 1);
        QCOMPARE(w_.boxes[0].kind, MessageKind::Question);
        QCOMPARE(w_.boxes[0].text, QStringLiteral("group.png already exists.\nDo you want to replace it?"));
        QCOMPARE(old.open(QIODevice::ReadOnly) ? old.readAll() : QByteArray(), QByteArray("old"));
        QVERIFY(!QFile::exists(QString::fromStdString(w_.Path("group"))));
        QVERIFY(!QFile::exists(QString::fromStdString(w_.Path("group.ico"))));
    }

    void aGroupThatCannotBeReadIsReportedBeforeTheDialog()
    {
        QVERIFY(ScanLibrary());
        w_.frm->DrawGrid1()->FocusCell(1, 0);
        QVERIFY(QFile::remove(QString::fromStdString(library_)));
        bool shown = true;
        WhenShown<QFileDialog>([](QFileDialog*) {}, &shown);
        w_.Command("SaveIconGroup")->trigger();
        QTRY_VERIFY(!shown);
        QCOMPARE(w_.boxes.size(), 1);
        QCOMPARE(w_.boxes[0].kind, MessageKind::Error);
        QVERIFY(w_.boxes[0].text.contains(QStringLiteral("lib.dll #1")));
    }

    void aCellsTooltipListsItsGroupsSizesAndResource()
    {
        QVERIFY(ScanLibrary());
        TDrawGrid* grid = w_.frm->DrawGrid1();
        const auto askTip = [grid](int col) {
            const QPoint at = grid->CellRect(col, 0).center();
            QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
            QApplication::sendEvent(grid->viewport(), &help);
        };
        askTip(1);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("16, 32, 48, 256 px\nResource: 2, language 1033"));
        askTip(0);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("16, 48 px\nResource: 1, language 1033"));
        askTip(2); // no icon there
        QTRY_VERIFY(!QToolTip::isVisible());
    }
};

QTEST_MAIN(IconGroupTest)
#include "IconGroupTest.moc"

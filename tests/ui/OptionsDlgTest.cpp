#include "ui/OptionsDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace orbisk;

namespace {

const char* const ExtBoxes[] = { "cbICO", "cbCUR", "cbEXE", "cbDLL", "cbICL", "cbBMP" };

// Runs steps on the options dialog once it is up modally; anything still
// open afterwards is closed, so a failed step fails the test instead of
// leaving it waiting.
void WhenShown(std::function<void(TOptionsDlg*)> steps)
{
    QTimer::singleShot(0, [steps] {
        if (auto* dlg = qobject_cast<TOptionsDlg*>(QApplication::activeModalWidget()))
            steps(dlg);
        if (QWidget* still = QApplication::activeModalWidget())
            still->close();
    });
}

QCheckBox* Box(QWidget* dlg, const char* name) { return dlg->findChild<QCheckBox*>(QLatin1String(name)); }
QComboBox* List(QWidget* dlg, const char* name) { return dlg->findChild<QComboBox*>(QLatin1String(name)); }
void Click(QWidget* dlg, const char* name) { dlg->findChild<QPushButton*>(QLatin1String(name))->click(); }

// The ticked boxes among "All files" and the extensions, as one string.
QString Ticked(QWidget* dlg)
{
    QStringList ticked;
    if (Box(dlg, "cbALL")->isChecked())
        ticked << QStringLiteral("cbALL");
    for (const char* name : ExtBoxes) {
        if (Box(dlg, name)->isChecked())
            ticked << QLatin1String(name);
    }
    return ticked.join(QLatin1Char(' '));
}

} // namespace

class OptionsDlgTest : public QObject {
    Q_OBJECT

private slots:
    void defaultsShowAndBmpJoinsTheFilter()
    {
        AppSettings settings;
        int32_t saveColorCount = 16;
        QString shown;
        bool accepted = false;
        WhenShown([&](TOptionsDlg* dlg) {
            shown = QStringLiteral("%1 %2 %3 | %4 | %5")
                        .arg(Box(dlg, "cbSUBFolders")->isChecked())
                        .arg(Box(dlg, "cbAutoScan")->isChecked())
                        .arg(Ticked(dlg), List(dlg, "ColorsComboBox")->currentText(),
                             List(dlg, "FileTypesCombo")->currentText());
            Box(dlg, "cbBMP")->click();
            Click(dlg, "OKBtn");
        });
        accepted = ExecuteOptionsDialog(nullptr, settings, 256, saveColorCount);

        QCOMPARE(shown, QStringLiteral("0 1 cbICO cbCUR cbEXE cbDLL cbICL | Windows default | Icon"));
        QVERIFY(accepted);
        QCOMPARE(settings.FileExt, std::string(".ICO,.CUR,.EXE,.DLL,.ICL,.BMP,"));
        QCOMPARE(settings.SaveColors, 0);
        // "Windows default" takes the screen's count at the moment of OK.
        QCOMPARE(saveColorCount, 256);
    }

    void allFilesAndExtensionBoxesExcludeEachOther()
    {
        AppSettings settings;
        TOptionsDlg dlg(settings, 256);
        dlg.show();
        Box(&dlg, "cbALL")->click();
        QCOMPARE(Ticked(&dlg), QStringLiteral("cbALL"));
        Box(&dlg, "cbEXE")->click();
        QCOMPARE(Ticked(&dlg), QStringLiteral("cbEXE"));
        // Clearing a box clears nothing else: all seven may stand cleared.
        Box(&dlg, "cbEXE")->click();
        QCOMPARE(Ticked(&dlg), QString());
        Click(&dlg, "OKBtn");
        QCOMPARE(settings.FileExt, std::string());

        TOptionsDlg again(settings, 256);
        again.show();
        QCOMPARE(Ticked(&again), QString());
        Box(&again, "cbALL")->click();
        Box(&again, "cbALL")->click();
        QCOMPARE(Ticked(&again), QString());
        Box(&again, "cbALL")->click();
        Click(&again, "OKBtn");
        QCOMPARE(settings.FileExt, std::string("*"));
    }

    void storedFilterShowsItsBoxesAndComesBackInFixedOrder_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("ticked");
        QTest::addColumn<QString>("written");
        QTest::newRow("out of order") << ".EXE,.ICO," << "cbICO cbEXE" << ".ICO,.EXE,";
        QTest::newRow("lower case") << ".exe," << "" << "";
        QTest::newRow("all files") << "*" << "cbALL" << "*";
        QTest::newRow("star among others") << "*,.ICO," << "cbICO" << ".ICO,";
    }
    void storedFilterShowsItsBoxesAndComesBackInFixedOrder()
    {
        QFETCH(QString, stored);
        QFETCH(QString, ticked);
        QFETCH(QString, written);
        AppSettings settings;
        settings.FileExt = stored.toStdString();
        TOptionsDlg dlg(settings, 256);
        dlg.show();
        QCOMPARE(Ticked(&dlg), ticked);
        Click(&dlg, "OKBtn");
        QCOMPARE(QString::fromStdString(settings.FileExt), written);
    }

    void closingWithoutOkChangesNothing_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }
    void closingWithoutOkChangesNothing()
    {
        QFETCH(int, how);
        AppSettings settings { true, false, ".EXE,", 256, 1 };
        const AppSettings before = settings;
        int32_t saveColorCount = 256;
        WhenShown([how](TOptionsDlg* dlg) {
            Box(dlg, "cbSUBFolders")->click();
            Box(dlg, "cbAutoScan")->click();
            Box(dlg, "cbALL")->click();
            List(dlg, "ColorsComboBox")->setCurrentIndex(5);
            List(dlg, "FileTypesCombo")->setCurrentIndex(0);
            if (how == 0)
                Click(dlg, "CancelBtn");
            else if (how == 1)
                QTest::keyClick(dlg, Qt::Key_Escape);
            else
                dlg->close();
        });
        QVERIFY(!ExecuteOptionsDialog(nullptr, settings, 16, saveColorCount));
        QCOMPARE(settings.WithSub, before.WithSub);
        QCOMPARE(settings.AutoScan, before.AutoScan);
        QCOMPARE(settings.FileExt, before.FileExt);
        QCOMPARE(settings.SaveColors, before.SaveColors);
        QCOMPARE(settings.SaveFileExt, before.SaveFileExt);
        QCOMPARE(saveColorCount, 256);
    }

    void switchingToAnotherWindowKeepsTheEdits()
    {
        AppSettings settings;
        TOptionsDlg dlg(settings, 256);
        QWidget other;
        other.resize(100, 100);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        Box(&dlg, "cbBMP")->click();
        Box(&dlg, "cbSUBFolders")->click();
        List(&dlg, "ColorsComboBox")->setCurrentIndex(2);

        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));

        Click(&dlg, "OKBtn");
        QCOMPARE(settings.FileExt, std::string(".ICO,.CUR,.EXE,.DLL,.ICL,.BMP,"));
        QCOMPARE(settings.WithSub, true);
        QCOMPARE(settings.SaveColors, 256);
        QCOMPARE(dlg.SaveColorCount(), 256);
    }

    void aListWithNoItemSelectedKeepsItsSetting()
    {
        // A format the dialog does not know shows no item; OK leaves it be.
        // A colour count it does not know shows "Windows default".
        AppSettings settings;
        settings.SaveFileExt = 7;
        settings.SaveColors = 32;
        TOptionsDlg dlg(settings, 16);
        dlg.show();
        QCOMPARE(List(&dlg, "FileTypesCombo")->currentIndex(), -1);
        QCOMPARE(List(&dlg, "ColorsComboBox")->currentIndex(), 0);
        Click(&dlg, "OKBtn");
        QCOMPARE(settings.SaveFileExt, 7);
        QCOMPARE(settings.SaveColors, 0);
        QCOMPARE(dlg.SaveColorCount(), 16);

        settings.SaveColors = 65536;
        TOptionsDlg again(settings, 16);
        again.show();
        List(&again, "ColorsComboBox")->setCurrentIndex(-1);
        Click(&again, "OKBtn");
        QCOMPARE(settings.SaveColors, 65536);
        QCOMPARE(again.SaveColorCount(), 65536);
    }
};

QTEST_MAIN(OptionsDlgTest)
#include "OptionsDlgTest.moc"

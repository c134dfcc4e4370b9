#include "ui/AboutBox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace orbisk;

// Takes the URLs the box asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

class AboutBoxTest : public QObject {
    Q_OBJECT

private:
    UrlCatcher catcher_;

private slots:
    void initTestCase()
    {
        for (const char* scheme : { "http", "https", "mailto" })
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &catcher_, "open");
    }
    void cleanupTestCase()
    {
        for (const char* scheme : { "http", "https", "mailto" })
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }

    void linksAndEscLeaveTheBoxOpenAndModal()
    {
        QStringList steps;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            auto stillOpen = [&](const char* after) {
                if (box->isVisible() && QApplication::activeModalWidget() == box)
                    steps << QLatin1String(after);
            };
            QTest::mouseClick(box->findChild<QLabel*>(QStringLiteral("Label2")), Qt::LeftButton);
            stillOpen("web");
            QTest::mouseClick(box->findChild<QLabel*>(QStringLiteral("Label3")), Qt::LeftButton);
            stillOpen("mail");
            QTest::keyClick(box, Qt::Key_Escape);
            stillOpen("Esc");
            QTest::keyClick(box, Qt::Key_Return);
            if (!box->isVisible())
                steps << QStringLiteral("Enter closes");
            else
                box->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        });
        ShowAboutBox(nullptr);

        QCOMPARE(steps, QStringList({ "web", "mail", "Esc", "Enter closes" }));
        QCOMPARE(catcher_.urls.size(), 2);
        QCOMPARE(catcher_.urls[0], QUrl(TAboutBox::WebAddress()));
        QCOMPARE(catcher_.urls[1], QUrl(QStringLiteral("mailto:") + TAboutBox::SupportAddress()));
    }
};

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"

#include "ui/MainForm.h"

#include <QApplication>
#include <QPointer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orbisk 1.2"));

    // The window destroys itself when closed, which ends the loop; if the
    // loop ends another way it is destroyed here, without closing.
    QPointer<orbisk::TMainFrm> mainFrm = new orbisk::TMainFrm;
    mainFrm->show();
    const int exitCode = QApplication::exec();
    delete mainFrm.data();
    return exitCode;
}

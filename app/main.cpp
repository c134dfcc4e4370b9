#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orbisk 1.2"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Orbisk v1.2"));
    window.resize(713, 400);
    window.show();
    return app.exec();
}

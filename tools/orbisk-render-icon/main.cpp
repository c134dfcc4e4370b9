// Renders the application icon's SVG artwork as a square PNG of one size,
// for the icon theme folders the install fills.
//
// usage: orbisk-render-icon SVG SIZE PNG

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fputs("usage: orbisk-render-icon SVG SIZE PNG\n", stderr);
        return 2;
    }
    bool isNumber = false;
    const int size = QByteArray(argv[2]).toInt(&isNumber);
    if (!isNumber || size < 1 || size > 1024) {
        std::fprintf(stderr, "orbisk-render-icon: not a size from 1 to 1024: %s\n", argv[2]);
        return 2;
    }
    QSvgRenderer artwork(QString::fromLocal8Bit(argv[1]));
    if (!artwork.isValid()) {
        std::fprintf(stderr, "orbisk-render-icon: cannot read the SVG file %s\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        artwork.render(&painter, QRectF(0, 0, size, size));
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "orbisk-render-icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}

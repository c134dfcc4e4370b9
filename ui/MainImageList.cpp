#include "ui/MainImageList.h"

#include <QPainter>
#include <QPixmap>

namespace orbisk {

namespace {

constexpr int ImageSize = 32;
const QColor ItemColor(40, 72, 130);
const QColor TextColor(90, 90, 90);

// A small icon square followed by a caption line.
void DrawListItem(QPainter& p, int x, int y, int captionLength)
{
    p.fillRect(x, y, 5, 5, ItemColor);
    p.fillRect(x + 7, y + 2, captionLength, 2, TextColor);
}

void DrawLargeIcons(QPainter& p)
{
    for (int y : { 3, 18 })
        for (int x : { 3, 18 })
            p.fillRect(x, y, 11, 11, ItemColor);
}

void DrawSmallIcons(QPainter& p)
{
    for (int y : { 4, 13, 22 })
        for (int x : { 4, 13, 22 })
            p.fillRect(x, y, 6, 6, ItemColor);
}

void DrawList(QPainter& p)
{
    for (int y : { 4, 11, 18, 25 }) {
        DrawListItem(p, 2, y, 6);
        DrawListItem(p, 17, y, 6);
    }
}

void DrawDetails(QPainter& p)
{
    p.fillRect(2, 3, 28, 3, TextColor);
    for (int y : { 9, 16, 23 }) {
        DrawListItem(p, 2, y, 10);
        p.fillRect(22, y + 2, 8, 2, TextColor);
    }
}

} // namespace

QIcon MainImageListIcon(int index)
{
    void (*draw)(QPainter&) = nullptr;
    switch (index) {
    case LargeIconsImage:
        draw = DrawLargeIcons;
        break;
    case SmallIconsImage:
        draw = DrawSmallIcons;
        break;
    case ListImage:
        draw = DrawList;
        break;
    case DetailsImage:
        draw = DrawDetails;
        break;
    default:
        return {};
    }
    QPixmap pixmap(ImageSize, ImageSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    draw(painter);
    return QIcon(pixmap);
}

} // namespace orbisk

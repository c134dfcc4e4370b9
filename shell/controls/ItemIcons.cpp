#include "shell/controls/ItemIcons.h"

#include "platform/namespace/SystemImageList.h"

#include <QPainter>

namespace orbisk {

QPixmap TStItemIcons::Pixmap(int imageIndex, int size, int overlay, bool dimmed)
{
    if (imageIndex < 0)
        return {};
    const quint64 key = quint64(uint32_t(imageIndex)) << 16 | quint64(size & 0xff) << 8 | quint64((overlay + 1) & 3) << 1 |
                        (dimmed ? 1u : 0u);
    if (const auto it = pixmaps_.constFind(key); it != pixmaps_.constEnd())
        return *it;
    const SystemImageList& list = size > 16 ? SystemImageList::Large() : SystemImageList::Small();
    QImage image = list.Image(imageIndex).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull() && overlay >= 0) {
        const QImage emblem = list.Overlay(overlay);
        QPainter p(&image);
        p.drawImage(QPoint(0, image.height() - emblem.height()), emblem);
    }
    if (!image.isNull() && dimmed) {
        QImage faded(image.size(), QImage::Format_ARGB32_Premultiplied);
        faded.fill(Qt::transparent);
        QPainter p(&faded);
        p.setOpacity(0.5);
        p.drawImage(QPoint(0, 0), image);
        p.end();
        image = faded;
    }
    const QPixmap pixmap = QPixmap::fromImage(image);
    pixmaps_.insert(key, pixmap);
    return pixmap;
}

} // namespace orbisk

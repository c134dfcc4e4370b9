#include "platform/pixels/DrawIcon.h"

#include <QImage>
#include <QPainter>

namespace orbisk {

bool DrawIconEx(QPainter& painter, int x, int y, HICON icon, int width, int height, unsigned flags)
{
    if (!icon || !(flags & DI_IMAGE))
        return false;
    // The colour buffer already has the layout of Format_ARGB32; this QImage
    // only borrows it (the const constructor never writes to or copies it).
    const QImage image(reinterpret_cast<const uchar*>(icon->color.data()), icon->width, icon->height,
                       qsizetype(icon->width) * 4, QImage::Format_ARGB32);
    const QRect target(x, y, width > 0 ? width : icon->width, height > 0 ? height : icon->height);
    const bool blend = (flags & DI_MASK) != 0;
    const auto mode = blend ? QPainter::CompositionMode_SourceOver : QPainter::CompositionMode_Source;
    const bool scale = target.size() != image.size();

    // The grid draws thousands of icons per paint: touch the painter's state
    // only when it differs from what is needed.
    const bool restore = painter.compositionMode() != mode || (scale && !painter.testRenderHint(QPainter::SmoothPixmapTransform));
    if (restore) {
        painter.save();
        painter.setCompositionMode(mode);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, scale);
    }
    if (blend)
        painter.drawImage(target, image);
    else
        painter.drawImage(target, image.convertToFormat(QImage::Format_RGB32));
    if (restore)
        painter.restore();
    return true;
}

} // namespace orbisk

#include "platform/namespace/SystemImageList.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QThread>

#include <mutex>

namespace orbisk {

namespace {

struct Entry {
    QString name;
    QString generic;
    IconShape shape = IconShape::File;
};

// The one index space behind both lists. Indexes are handed out on first
// use and never reused, so an index kept by an item stays valid for the run.
// The lock guards the tables only: theme lookups and drawing happen outside
// it, so a worker asking for an index never waits for the theme.
struct Registry {
    std::mutex mutex;
    std::vector<Entry> entries;
    QHash<QString, int> byName;
    QHash<int, QIcon> icons;                // made on first draw
    QHash<qint64, QImage> images;           // (index, size) -> image
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

void DrawShape(QPainter& p, IconShape shape, int s)
{
    const qreal u = s / 16.0;
    p.setPen(QPen(QColor(60, 60, 60), u));
    switch (shape) {
    case IconShape::File: {
        QPainterPath page;
        page.moveTo(3 * u, 1 * u);
        page.lineTo(10 * u, 1 * u);
        page.lineTo(13 * u, 4 * u);
        page.lineTo(13 * u, 15 * u);
        page.lineTo(3 * u, 15 * u);
        page.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(page);
        p.drawLine(QPointF(10 * u, 1 * u), QPointF(10 * u, 4 * u));
        p.drawLine(QPointF(10 * u, 4 * u), QPointF(13 * u, 4 * u));
        break;
    }
    case IconShape::Folder:
    case IconShape::OpenFolder:
        p.setBrush(QColor(232, 184, 74));
        p.drawRect(QRectF(1 * u, 4 * u, 14 * u, 10 * u));
        p.drawRect(QRectF(1 * u, 2 * u, 6 * u, 2 * u));
        if (shape == IconShape::OpenFolder) {
            p.setBrush(QColor(246, 214, 130));
            p.drawPolygon(QPolygonF({QPointF(3 * u, 7 * u), QPointF(16 * u, 7 * u), QPointF(14 * u, 14 * u),
                                     QPointF(1 * u, 14 * u)}));
        }
        break;
    case IconShape::Drive:
        p.setBrush(QColor(190, 190, 190));
        p.drawRoundedRect(QRectF(1 * u, 5 * u, 14 * u, 7 * u), 2 * u, 2 * u);
        p.setBrush(QColor(40, 200, 40));
        p.drawEllipse(QPointF(12 * u, 10 * u), 1 * u, 1 * u);
        break;
    case IconShape::Computer:
    case IconShape::Desktop:
        p.setBrush(QColor(70, 70, 70));
        p.drawRect(QRectF(1 * u, 2 * u, 14 * u, 10 * u));
        p.setBrush(shape == IconShape::Desktop ? QColor(40, 120, 200) : QColor(90, 160, 230));
        p.drawRect(QRectF(2 * u, 3 * u, 12 * u, 8 * u));
        p.setBrush(QColor(70, 70, 70));
        p.drawRect(QRectF(5 * u, 13 * u, 6 * u, 2 * u));
        break;
    case IconShape::Home:
        p.setBrush(QColor(200, 80, 60));
        p.drawPolygon(QPolygonF({QPointF(8 * u, 1 * u), QPointF(15 * u, 8 * u), QPointF(1 * u, 8 * u)}));
        p.setBrush(QColor(240, 230, 200));
        p.drawRect(QRectF(3 * u, 8 * u, 10 * u, 7 * u));
        break;
    }
}

QImage DrawnImage(IconShape shape, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawShape(p, shape, size);
    return image;
}

// The link arrow drawn in the lower left corner.
QImage DrawnLinkOverlay(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = size / 16.0;
    p.setPen(QPen(Qt::black, u));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(0.5 * u, 9.5 * u, 6 * u, 6 * u));
    p.drawLine(QPointF(2 * u, 14 * u), QPointF(5.5 * u, 10.5 * u));
    p.drawLine(QPointF(3 * u, 10.5 * u), QPointF(5.5 * u, 10.5 * u));
    p.drawLine(QPointF(5.5 * u, 10.5 * u), QPointF(5.5 * u, 13 * u));
    return image;
}

bool HaveGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// Where theme icons and pixmaps may be made.
bool OnWindowThread()
{
    return HaveGuiApplication() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

qint64 ImageKey(int index, int size) { return qint64(index) << 8 | size; }

} // namespace

SystemImageList& SystemImageList::Small()
{
    static SystemImageList list(16);
    return list;
}

SystemImageList& SystemImageList::Large()
{
    static SystemImageList list(32);
    return list;
}

int SystemImageList::Count() const
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    return int(r.entries.size());
}

QIcon SystemImageList::Icon(int index) const
{
    if (!OnWindowThread())
        return {};
    Registry& r = TheRegistry();
    Entry e;
    {
        std::lock_guard lock(r.mutex);
        if (index < 0 || std::size_t(index) >= r.entries.size())
            return {};
        if (const auto it = r.icons.constFind(index); it != r.icons.constEnd())
            return *it;
        e = r.entries[std::size_t(index)];
    }
    QIcon icon = QIcon::fromTheme(e.name);
    if (icon.isNull() && !e.generic.isEmpty())
        icon = QIcon::fromTheme(e.generic);
    if (icon.isNull()) {
        icon.addPixmap(QPixmap::fromImage(DrawnImage(e.shape, 16)));
        icon.addPixmap(QPixmap::fromImage(DrawnImage(e.shape, 32)));
    }
    // Only the window thread makes icons, so none can have come in between.
    std::lock_guard lock(r.mutex);
    r.icons.insert(index, icon);
    return icon;
}

QImage SystemImageList::Image(int index) const
{
    Registry& r = TheRegistry();
    IconShape shape;
    {
        std::lock_guard lock(r.mutex);
        if (index < 0 || std::size_t(index) >= r.entries.size())
            return {};
        if (const auto it = r.images.constFind(ImageKey(index, size_)); it != r.images.constEnd())
            return *it;
        shape = r.entries[std::size_t(index)].shape;
    }
    const bool themed = OnWindowThread();
    // A worker draws the shape for now and keeps nothing: the theme's image,
    // once the window thread has made it, is the one that stays.
    if (!themed && HaveGuiApplication())
        return DrawnImage(shape, size_);
    QImage image = themed ? Icon(index).pixmap(size_, size_).toImage() : QImage();
    if (image.isNull())
        image = DrawnImage(shape, size_);
    std::lock_guard lock(r.mutex);
    r.images.insert(ImageKey(index, size_), image);
    return image;
}

QImage SystemImageList::Overlay(int overlay) const
{
    if (overlay != 0 && overlay != 1)
        return {};
    if (OnWindowThread()) {
        const QIcon icon = QIcon::fromTheme(overlay == 1 ? QStringLiteral("emblem-symbolic-link")
                                                         : QStringLiteral("emblem-shared"));
        if (!icon.isNull())
            return icon.pixmap(size_ / 2, size_ / 2).toImage();
    }
    return overlay == 1 ? DrawnLinkOverlay(size_) : QImage();
}

int SystemIconIndex(const QString& iconName, const QString& genericName, IconShape shape)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    if (const auto it = r.byName.constFind(iconName); it != r.byName.constEnd())
        return *it;
    const int index = int(r.entries.size());
    r.entries.push_back({iconName, genericName, shape});
    r.byName.insert(iconName, index);
    return index;
}

} // namespace orbisk

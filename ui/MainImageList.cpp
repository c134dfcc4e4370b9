#include "ui/MainImageList.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <memory>

// The artwork is compiled into this library; a static library's resources
// must be registered by hand.
static void RegisterMainImages() { Q_INIT_RESOURCE(MainImageList); }

namespace orbisk {

namespace {

QString ImagePath(int index) { return QStringLiteral(":/images/%1.svg").arg(index, 2, 10, QLatin1Char('0')); }

// Draws one image of the list at whatever size is asked for, so that a
// button on a high-density screen gets a pixmap drawn for its device pixels
// rather than a scaled-up 32 x 32 one.
class MainImageEngine : public QIconEngine {
public:
    explicit MainImageEngine(int index)
        : index_(index)
        , renderer_(std::make_shared<QSvgRenderer>(ImagePath(index)))
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pm = pixmap(rect.size() * ratio, mode, state);
        pm.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, pm);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        if (size.isEmpty())
            return {};
        const QString key = QStringLiteral("orbisk-image-%1-%2x%3-%4")
                                .arg(index_)
                                .arg(size.width())
                                .arg(size.height())
                                .arg(int(mode));
        QPixmap pm;
        if (QPixmapCache::find(key, &pm))
            return pm;
        pm = QPixmap(size);
        pm.fill(Qt::transparent);
        {
            QPainter painter(&pm);
            renderer_->render(&painter, QRectF(QPointF(0, 0), size));
        }
        if (mode == QIcon::Disabled) {
            QStyleOption option;
            option.palette = QApplication::palette();
            pm = QApplication::style()->generatedIconPixmap(mode, pm, &option);
        }
        QPixmapCache::insert(key, pm);
        return pm;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QString key() const override { return QStringLiteral("orbisk-main-image"); }
    QIconEngine* clone() const override { return new MainImageEngine(*this); }
    bool isNull() override { return !renderer_->isValid(); }

private:
    int index_;
    std::shared_ptr<QSvgRenderer> renderer_;
};

} // namespace

QIcon MainImageListIcon(int index)
{
    if (index < 0 || index >= MainImageCount)
        return {};
    static const bool registered = (RegisterMainImages(), true);
    (void)registered;
    return QIcon(new MainImageEngine(index));
}

} // namespace orbisk

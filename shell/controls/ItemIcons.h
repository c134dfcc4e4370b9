#pragma once

#include <QHash>
#include <QPixmap>

namespace orbisk {

// The pictures of list rows: a system image at 16 or 32 pixels, with the
// link emblem over it for a link and drawn at half strength for a hidden
// item. Each distinct picture is made once; rows share them.
class TStItemIcons {
public:
    // overlay: the item's OverlayIndex (-1 none, 0 shared, 1 link).
    QPixmap Pixmap(int imageIndex, int size, int overlay, bool dimmed);

private:
    QHash<quint64, QPixmap> pixmaps_;
};

} // namespace orbisk

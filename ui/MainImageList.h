#pragma once

#include <QIcon>

namespace orbisk {

// The 32 x 32 images of the main window's commands and buttons, by their
// index in the main image list. An index without artwork gives a null icon.
enum MainImage {
    LargeIconsImage = 3,
    SmallIconsImage = 4,
    ListImage = 5,
    DetailsImage = 6,
};

QIcon MainImageListIcon(int index);

} // namespace orbisk

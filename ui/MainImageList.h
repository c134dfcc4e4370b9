#pragma once

#include <QIcon>

namespace orbisk {

// The 32 x 32 images of the main window's commands, menus and buttons, by
// their index in the main image list. They are drawn from vector artwork, so
// they stay sharp at every size and on high-density screens.
enum MainImage {
    StartScanImage = 0,
    StopScanImage = 1,
    SettingsImage = 2,
    LargeIconsImage = 3,
    SmallIconsImage = 4,
    ListImage = 5,
    DetailsImage = 6,
    DeleteIconImage = 7,
    OpenFolderImage = 8,
    SelectAllImage = 9,
    UnselectAllImage = 10,
    RescanImage = 11,
    IconFileImage = 12,
    BitmapFileImage = 13,
    MarkedIconImage = 14,
    SaveIconImage = 15,
    SaveSelectedImage = 16,
    AboutImage = 17,
    DeleteSelectedImage = 18,
    ExitImage = 19,
    AboutToolBarImage = 20,
};

inline constexpr int MainImageCount = 21;
inline constexpr int MainImageSize = 32;

// The image at index; a null icon for an index outside the list.
QIcon MainImageListIcon(int index);

} // namespace orbisk

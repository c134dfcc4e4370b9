#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

#include <vector>

namespace orbisk {

// The shape drawn for an icon that the desktop's icon theme does not have.
enum class IconShape { File, Folder, OpenFolder, Drive, Computer, Desktop, Home };

// The system image lists: one index space of theme icons shared by the whole
// program, seen at two sizes (16 and 32 pixels). An icon is added once, the
// first time an item needs it; items keep only its index. The lists are the
// platform's: controls borrow them and never free them.
//
// Indexes come from any thread. Theme icons become pixmaps, which only the
// window thread may make: other threads get images, never icons.
class SystemImageList {
public:
    static SystemImageList& Small(); // 16 x 16
    static SystemImageList& Large(); // 32 x 32

    int IconSize() const { return size_; }
    int Count() const;

    // The image of an index at this list's size; a null image for an index
    // that is not in the list. Any thread: on the window thread it is the
    // theme's (made once, then kept for every thread); elsewhere the one the
    // window thread made, or the drawn shape until it has. Without a GUI
    // application the drawn shapes are the images.
    QImage Image(int index) const;
    // The theme icon of an index, on the window thread of a QGuiApplication
    // (a null icon elsewhere); drawn shapes stand in for names the theme
    // lacks.
    QIcon Icon(int index) const;
    // Overlay images: 0 shared, 1 link. The theme's on the window thread, the
    // drawn link arrow elsewhere.
    QImage Overlay(int overlay) const;

    SystemImageList(const SystemImageList&) = delete;
    SystemImageList& operator=(const SystemImageList&) = delete;

private:
    explicit SystemImageList(int size) : size_(size) {}
    int size_;
};

// The index of a theme icon (with a generic name and a drawn shape to fall
// back on), added to the shared lists when it is new.
int SystemIconIndex(const QString& iconName, const QString& genericName, IconShape shape);

} // namespace orbisk

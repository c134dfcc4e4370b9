#pragma once

#include "platform/pixels/IconHandle.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// The most icons one drag out of the grid carries.
constexpr std::size_t kMaxDragIcons = 1000;

// One icon a drag carries, copied from the lists when the drag starts, so
// that writing it touches nothing of the window's.
struct DragIcon {
    std::string path; // the icon's file
    int number = 0; // its place in the file, as ExtractIcon numbers icons
    UniqueIcon shown; // the image the grid shows (a bitmap's icon file is made from it)
};

// The names of the icon files of a drag, in the icons' order: each as Save
// icon proposes it, with ".ico"; where a name is taken already, "-2", "-3"
// ... go before the extension (icon.ico, icon-2.ico), skipping names that
// other icons have (a third icon of the file may be called icon-2 itself).
// Names that differ in case only count as taken too, for targets that do
// not tell them apart.
std::vector<std::string> DragFileNames(const std::vector<DragIcon>& icons);

// Writes each icon's whole group as an icon file into folder, named as
// DragFileNames names them, as Save icon group writes it (a cursor's images
// as an icon file; a bitmap as the icon the grid shows, at full colour).
// Files go in only as plain files (NumberedFileWriter). Returns the paths
// written, in order; an icon whose group cannot be read or written is left
// out. Stops early, returning what it wrote, once cancel is set.
std::vector<std::string> WriteDragFiles(const std::vector<DragIcon>& icons, const std::string& folder,
                                        const std::atomic<bool>& cancel);

// The folder where the drags of one run of the program put their files:
// "orbisk-drag-XXXXXX" (made with mkdtemp, for the user alone) in parent,
// held with a lock (flock) for as long as the object lives, so that another
// run can tell a folder left behind by a crash from one in use. Each drag
// gets a numbered folder of its own inside it, so that a file manager still
// copying the files of one drag never sees them replaced by the next one's.
// The folder, made at the first drag, is removed with everything in it when
// the object goes.
//
// Threads: NewDrag may be called from any thread (on jobs that touch the
// disk); the object goes once nothing uses it any more.
class DragFolder {
public:
    explicit DragFolder(std::string parent);
    ~DragFolder();
    DragFolder(const DragFolder&) = delete;
    DragFolder& operator=(const DragFolder&) = delete;

    // Makes the folder on the first call, then a new empty folder for one
    // drag inside it, and returns that one's path; nullopt when either
    // cannot be made.
    std::optional<std::string> NewDrag();
    // The run's folder; empty until the first drag made it.
    std::string Path() const;

    // What folders are called, before mkdtemp's six characters.
    static constexpr const char* NamePrefix = "orbisk-drag-";

private:
    bool MakeOwnFolder();

    const std::string parent_;
    mutable std::mutex mutex_;
    std::string path_;
    int fd_ = -1; // the folder, open and locked
    unsigned drags_ = 0;
};

// Where drags put their folders: $XDG_RUNTIME_DIR when it is an absolute
// path to a folder, else the user's cache folder.
std::string DragFolderParent();

// Removes the drag folders in parent that no running program holds (left by
// a run that crashed or was killed): the user's own plain folders named as
// DragFolder names them, with what they hold. A link or anything else under
// such a name is left alone. Returns how many were removed.
int RemoveStaleDragFolders(const std::string& parent);

} // namespace orbisk

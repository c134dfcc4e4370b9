#pragma once

#include "platform/extract/IconNumbering.h"
#include "platform/files/RegularFile.h"
#include "platform/pixels/IconHandle.h"
#include "platform/pixels/IconImage.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace orbisk {

// One file's icons, opened once: the file recognised, its directory read,
// then icon 0, 1, 2 ... made on demand, each from the reads of its group.
// Every image the file's groups name is decoded once however many groups
// name it (the icons share one handle image), and at most
// kMaxImagesDecodedPerFile distinct images are decoded: the groups past
// that cap are left out (TooManyImages).
//
// The scan goes through the icons of one IconFile in turn; a reader may
// open it and decode its first icons ahead (DecodeAhead), on another thread,
// and hand it over. Used by one thread at a time.
class IconFile {
public:
    // No file: gives no icon.
    IconFile();
    IconFile(IconFile&&) noexcept;
    IconFile& operator=(IconFile&&) noexcept;
    ~IconFile();

    // Opens the file at path (a native byte string; only regular files are
    // opened) and reads its directory; an empty IconFile when it cannot be
    // opened. A file that holds no icon gives none.
    static IconFile Open(const std::string& path);
    explicit operator bool() const { return state_ != nullptr; }
    const std::string& Path() const;

    // Icon n (from 0), at the large-icon size; nullptr when there is none.
    // `chosen` gets the size and depth of the image it was made from. Asking
    // for n = 0, 1, 2 ... in turn reads each group once.
    UniqueIcon Icon(int n, ImageInfo* chosen = nullptr);

    // The resource icon n's group is stored as (see
    // IconContainer::ResourceOf), read from the file now; numbered as Icon
    // numbers icons.
    Result<GroupResource> Resource(int n);

    // Makes icons 0 to count - 1 now and keeps them, each handed out once
    // by Icon, then closes the file and frees its read buffers: what a
    // reader does before handing the file over.
    void DecodeAhead(int count);
    // Closes the file's descriptor; a later Icon that needs to read opens
    // the file again, and reads it afresh when it has changed meanwhile.
    void Close();
    // Gives up the references this object keeps to the images it decoded
    // (each is decoded again when asked for), so that an IconFile kept
    // between calls holds no handle.
    void ForgetImages();
    // One look at the file on disk: when it has changed or been replaced
    // since it was read, it is read afresh. For a file read ahead.
    void Refresh();

    // A group was left out because the file reached its cap of images.
    bool TooManyImages() const;
    // What the object holds in memory, roughly (directory, kept icons,
    // buffers), its images counted whole even where they are shared.
    std::size_t HeldBytes() const;

private:
    struct State;
    explicit IconFile(std::unique_ptr<State> state);
    bool EnsureOpen();
    UniqueIcon MakeGroupIcon(ByteSource& source, uint32_t g, ImageInfo* chosen);
    UniqueIcon KnownGroupIcon(const std::vector<ImageLocation>& images, ImageInfo* chosen);
    std::unique_ptr<State> state_;
};

} // namespace orbisk

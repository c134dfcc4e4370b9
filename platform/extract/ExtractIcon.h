#pragma once

#include "platform/pixels/IconHandle.h"
#include "platform/pixels/IconImage.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace orbisk {

// Icon n (counted from 0) of the file at path, a native byte string, at the
// large-icon size; nullptr when the file has no icon n. The caller owns the
// handle. Safe to call from any thread.
//
// Files are recognised by content: PE32/PE32+ and NE programs and libraries
// (icon n is the n-th RT_GROUP_ICON group that yields an image), icon and
// cursor files and bitmaps (one icon each). Only regular files are opened,
// and only the parts needed are read. Each thread keeps the directory of the
// last file it asked about, so n = 0, 1, 2, ... costs one parse in all.
HICON ExtractIcon(const std::string& path, int n);

// The size and depth of the image an icon was made from, before scaling to
// 32 x 32 (a PNG image counts as 32 bits).
using IconSourceInfo = ImageInfo;

// ExtractIcon, telling also which image of the group was used.
UniqueIcon ExtractIconDetailed(const std::string& path, int n, IconSourceInfo* chosen);

// ExtractIcon's work on one file done ahead of the calls that will ask for
// its icons, on any thread: the file opened, recognised, its directory read
// and its first icons decoded (no handles made). Readers prepare the next
// files of a scan while the scanning thread makes handles of the icons of
// the file before them. Holds no open file.
class PreparedIconFile {
public:
    struct State;
    PreparedIconFile();
    explicit PreparedIconFile(std::unique_ptr<State> state);
    PreparedIconFile(PreparedIconFile&&) noexcept;
    PreparedIconFile& operator=(PreparedIconFile&&) noexcept;
    ~PreparedIconFile();
    // False when the file could not even be opened.
    explicit operator bool() const { return state_ != nullptr; }

private:
    friend void UsePreparedIconFile(PreparedIconFile file);
    std::unique_ptr<State> state_;
};

// Prepares the file at path, decoding up to maxIcons icons from icon 0 on.
PreparedIconFile PrepareIconFile(const std::string& path, int maxIcons);

// Makes file the last file this thread asked about, so that ExtractIcon on
// the same path serves its icons from it, as long as the file on disk is the
// one that was prepared; a file changed or replaced since is read afresh.
void UsePreparedIconFile(PreparedIconFile file);

// The same for a file's bytes held in memory (no cache).
UniqueIcon ExtractIconFromBytes(std::span<const uint8_t> bytes, int n, IconSourceInfo* chosen);

// Bytes read from files by the extractor since the program started, all
// threads together (counted by FileSource); the benchmark compares it with
// the files' sizes.
uint64_t ExtractBytesRead();

} // namespace orbisk

#pragma once

#include "core/ChunkedList.h"

#include <cstdint>
#include <string>

namespace orbisk {

// One file the walk recorded. Its path is FolderList[FolderIndex] joined with
// FileName (JoinPath).
struct FileListRec {
    int32_t FolderIndex = 0;
    // The name as the directory listing gave it, native bytes, no folder part.
    std::string FileName;
};

// Every file whose icons a scan takes, in the order the walk found them.
// Records are never reordered or removed one by one; the list is only emptied
// whole, when the next scan starts. Appended only by the scanning worker; see
// ChunkedList for what other threads may read meanwhile.
class TfileList : public ChunkedList<FileListRec> {
};

} // namespace orbisk

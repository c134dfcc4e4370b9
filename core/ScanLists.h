#pragma once

#include "core/FolderList.h"
#include "core/TIconList.h"
#include "core/TfileList.h"

#include <memory>

namespace orbisk {

// The three lists of one scan. The engine and the scan's worker share them,
// so a worker left behind by a scan that did not stop (a disk that does not
// answer) keeps writing into lists nobody shows any more.
struct ScanLists {
    FolderList folders;
    TfileList files;
    TIconList icons;
};

// A copy of what lists holds now (below the sizes published so far), marks
// included, each icon a new reference to the same image. It may be taken
// while a worker still appends to lists.
std::shared_ptr<ScanLists> CopyOf(const ScanLists& lists);

} // namespace orbisk

#pragma once

#include "core/ChunkedList.h"

#include <string>

namespace orbisk {

// The folders a scan visited, in visiting order. Element 0 is the scan's root
// (in one-file mode the folder holding the file); during the walk the list is
// also the walk's queue. Paths carry no trailing separator, except the root
// "/". Appended only by the scanning worker; see ChunkedList for what other
// threads may read meanwhile.
class FolderList : public ChunkedList<std::string> {
};

} // namespace orbisk

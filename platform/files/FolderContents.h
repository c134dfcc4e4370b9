#pragma once

#include "platform/base/Result.h"

#include <string>
#include <vector>

namespace orbisk {

// What a folder holds, as the folder browser lists it: the names of its
// sub-folders and of its regular files, native byte strings in the order the
// file system lists them. Names beginning with "." are left out. A link counts
// as what it points to; a dangling link, a FIFO, a device or a socket is
// neither a folder nor a file.
struct FolderContents {
    std::vector<std::string> folders;
    std::vector<std::string> files;
};

Result<FolderContents> ReadFolderContents(const std::string& path);

} // namespace orbisk

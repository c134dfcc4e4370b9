#include "ui/StartFolder.h"

#include "platform/files/NativePath.h"

#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

std::string StartFolderFor(std::string_view saved)
{
    const std::string root = "/";
    // A name with a NUL in it would name another folder than the one saved.
    if (saved.empty() || saved.front() != '/' || saved.size() > MaxPathBytes || saved.find('\0') != saved.npos)
        return root;
    std::string path = TrimTrailingSeparators(saved);
    // stat never opens the file, so a FIFO cannot block here.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || ::access(path.c_str(), R_OK | X_OK) != 0)
        return root;
    return path;
}

} // namespace orbisk

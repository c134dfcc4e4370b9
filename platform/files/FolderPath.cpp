#include "platform/files/FolderPath.h"

#include "platform/files/NativePath.h"

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CanEnterFolder(const std::string& path) { return IsDirectory(path) && ::access(path.c_str(), X_OK) == 0; }

std::string CurrentFolderPath()
{
    const std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
    // Linux marks a deleted current folder with a leading "(unreachable)".
    if (!cwd || cwd.get()[0] != '/')
        return "/";
    return cwd.get();
}

bool CreateFolderPath(const std::string& path)
{
    std::vector<std::string> missing;
    for (std::string part = TrimTrailingSeparators(path); !part.empty() && part != "/" && !IsDirectory(part);) {
        std::string parent = SplitFilePath(part).folder;
        missing.push_back(std::move(part));
        part = std::move(parent);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return IsDirectory(path);
}

} // namespace orbisk

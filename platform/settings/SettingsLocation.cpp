#include "platform/settings/SettingsLocation.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/FolderPath.h"
#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/settings/PrivateProfile.h"

#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace orbisk {

namespace fs = std::filesystem;

namespace {

std::string ProgramFolder()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

bool OwnedBy(const std::string& folder, uid_t user)
{
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && st.st_uid == user;
}

bool Below(const std::string& path, const std::vector<std::string>& prefixes)
{
    for (std::string prefix : prefixes) {
        while (prefix.size() > 1 && prefix.back() == '/')
            prefix.pop_back();
        if (prefix.empty())
            continue;
        if (path == prefix || prefix == "/"
            || (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0
                && path[prefix.size()] == '/'))
            return true;
    }
    return false;
}

// The nearest folder at or above path that exists: the one a new folder
// chain would be made in.
std::string ExistingAncestor(std::string path)
{
    struct stat st {};
    while (::stat(path.c_str(), &st) != 0 && path != "/" && !path.empty()) {
        const std::string up = SplitFilePath(path).folder;
        if (up.empty() || up == path)
            break;
        path = up;
    }
    return path;
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

} // namespace

std::vector<std::string> SystemProgramPrefixes() { return { "/usr", "/usr/local", "/opt" }; }

SettingsLocation SettingsLocation::Current() { return { ProgramFolder(), ConfigFolderPath() }; }

std::optional<SettingsFile> PrepareSettingsFile(const SettingsLocation& where)
{
    std::string beside;
    bool besideExists = false;
    // Only a program of the user's own keeps its settings beside it: a
    // system program would share one user's settings with every other (and
    // leave a file its package does not know of).
    bool usersOwn = false;
    if (!where.programDir.empty()) {
        beside = JoinPath(where.programDir, SettingsFileName);
        besideExists = Exists(beside);
        usersOwn = !Below(where.programDir, where.systemPrefixes) && OwnedBy(where.programDir, where.user);
        // A folder that takes writes keeps a new file and replaces an old one
        // safely; a file that takes writes is kept up to date in place even
        // in a folder that does not.
        if (usersOwn
            && (::access(where.programDir.c_str(), W_OK) == 0 || (besideExists && ::access(beside.c_str(), W_OK) == 0)))
            return SettingsFile { beside };
    }
    // With nowhere else to go, the file beside the program is still read,
    // and written only where it is the user's own (where that fails, the
    // user is told so).
    const auto besideOnly = [&]() -> std::optional<SettingsFile> {
        return besideExists ? std::optional(SettingsFile { beside, !usersOwn }) : std::nullopt;
    };
    if (where.configHome.empty())
        return besideOnly();
    const std::string folder = JoinPath(where.configHome, "orbisk");
    const std::string inConfig = JoinPath(folder, SettingsFileName);
    // Another user's folder (root run with that user's home): read what is
    // there, write nothing that user could not then change or remove.
    if (!OwnedBy(ExistingAncestor(folder), where.user)) {
        if (!Exists(inConfig) && besideExists)
            return SettingsFile { beside, true };
        return SettingsFile { inConfig, true };
    }
    if (!CreateFolderPath(folder))
        return besideOnly();
    if (besideExists && !Exists(inConfig)) {
        // Settings placed beside a program that may not keep them are where
        // this user's own begin; a copy that fails leaves the defaults.
        if (const auto text = ReadProfileText(beside))
            ReplaceFileContents(inConfig, *text);
    }
    return SettingsFile { inConfig };
}

} // namespace orbisk

#include "platform/settings/SettingsLocation.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/FolderPath.h"
#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/settings/PrivateProfile.h"

#include <filesystem>
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

// The configuration folder's orbisk folder, made when it is missing.
std::optional<std::string> ConfigFolder(const std::string& configHome)
{
    if (configHome.empty())
        return std::nullopt;
    const std::string folder = JoinPath(configHome, "orbisk");
    if (!CreateFolderPath(folder))
        return std::nullopt;
    return folder;
}

} // namespace

SettingsLocation SettingsLocation::Current() { return { ProgramFolder(), ConfigFolderPath() }; }

std::optional<std::string> PrepareSettingsFilePath(const SettingsLocation& where)
{
    std::string beside;
    bool besideExists = false;
    if (!where.programDir.empty()) {
        beside = JoinPath(where.programDir, SettingsFileName);
        std::error_code ec;
        besideExists = fs::exists(fs::symlink_status(beside, ec));
        // A folder that takes writes keeps a new file and replaces an old one
        // safely; a file that takes writes is kept up to date in place even
        // in a folder that does not. A read-only file in a read-only folder
        // (an installed default) could never keep this user's settings.
        if (::access(where.programDir.c_str(), W_OK) == 0
            || (besideExists && ::access(beside.c_str(), W_OK) == 0))
            return beside;
    }
    const std::optional<std::string> folder = ConfigFolder(where.configHome);
    if (!folder) // what is beside the program can still be read
        return besideExists ? std::optional(beside) : std::nullopt;
    const std::string inConfig = JoinPath(*folder, SettingsFileName);
    std::error_code ec;
    if (besideExists && !fs::exists(fs::symlink_status(inConfig, ec))) {
        // Settings placed beside a program that cannot keep them are where
        // this user's own begin; a copy that fails leaves the defaults.
        if (const auto text = ReadProfileText(beside))
            ReplaceFileContents(inConfig, *text);
    }
    return inConfig;
}

} // namespace orbisk

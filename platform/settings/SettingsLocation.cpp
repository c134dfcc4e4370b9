#include "platform/settings/SettingsLocation.h"

#include <cstdlib>
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

std::string ConfigHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return (fs::path(home) / ".config").string();
    return {};
}

} // namespace

SettingsLocation SettingsLocation::Current() { return { ProgramFolder(), ConfigHome() }; }

std::optional<std::string> PrepareSettingsFilePath(const SettingsLocation& where)
{
    if (!where.programDir.empty()) {
        const fs::path beside = fs::path(where.programDir) / SettingsFileName;
        std::error_code ec;
        if (fs::exists(fs::symlink_status(beside, ec)) || ::access(where.programDir.c_str(), W_OK) == 0)
            return beside.string();
    }
    if (where.configHome.empty())
        return std::nullopt;
    const fs::path folder = fs::path(where.configHome) / "orbisk";
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec))
        return std::nullopt;
    return (folder / SettingsFileName).string();
}

} // namespace orbisk

#pragma once

#include <optional>
#include <string>

namespace orbisk {

inline constexpr char SettingsFileName[] = "orbisk.ini";

// Where the settings file may live: beside the program, or in the user's
// configuration folder when the program's folder is not the user's to write.
struct SettingsLocation {
    // The folder that holds the program's executable; empty when unknown.
    std::string programDir;
    // The user's configuration folder (ConfigFolderPath); empty for none.
    std::string configHome;

    // The location of this process.
    static SettingsLocation Current();
};

// The path of the settings file: orbisk.ini in the program's folder when that
// folder takes writes (as a program unpacked in a folder of its own does) or
// an orbisk.ini there does, otherwise orbisk/orbisk.ini in the configuration
// folder, which is then created. A settings file found beside a program where
// nothing could ever be saved is copied there as the start of the user's own
// (only when the user has none yet). nullopt when neither place can hold the
// file.
std::optional<std::string> PrepareSettingsFilePath(const SettingsLocation& where);

} // namespace orbisk

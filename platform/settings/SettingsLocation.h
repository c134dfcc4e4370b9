#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace orbisk {

inline constexpr char SettingsFileName[] = "orbisk.ini";

// The folders below which a program is installed for the whole system.
std::vector<std::string> SystemProgramPrefixes();

// Where the settings file may live: beside the program, or in the user's
// configuration folder when the program's folder is not the user's to write.
struct SettingsLocation {
    // The folder that holds the program's executable; empty when unknown.
    std::string programDir;
    // The user's configuration folder (ConfigFolderPath); empty for none.
    std::string configHome;
    // A program below one of these is installed for the whole system.
    std::vector<std::string> systemPrefixes = SystemProgramPrefixes();
    // The user the files are written for (the effective user).
    uid_t user = ::geteuid();

    // The location of this process.
    static SettingsLocation Current();
};

struct SettingsFile {
    std::string path;
    // Nothing may be written: the file is read for the settings to start
    // with (and need not exist), and the program's changes are not kept.
    bool readOnly = false;

    bool operator==(const SettingsFile&) const = default;
};

// The settings file: orbisk.ini in the program's folder when the program is
// the user's own (below no system prefix, in a folder the user owns) and
// that folder takes writes (a build folder, a program unpacked in a folder
// of the user's) or an orbisk.ini there does; otherwise orbisk/orbisk.ini in
// the configuration folder, which is then created. A system program never
// writes beside itself, root included. A settings file found beside a
// program that may not keep it is copied to the configuration folder as the
// start of the user's own (only when the user has none yet).
//
// No settings file is created or replaced in a folder the user does not own
// (root running with another user's configuration folder): the file there,
// or else the one beside the program, is then only read. nullopt when the
// configuration folder cannot be made and nothing can be read.
std::optional<SettingsFile> PrepareSettingsFile(const SettingsLocation& where);

} // namespace orbisk

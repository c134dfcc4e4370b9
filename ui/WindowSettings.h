#pragma once

#include "platform/settings/IniFile.h"
#include "platform/settings/SettingsLocation.h"
#include "ui/AppSettings.h"

#include <memory>
#include <optional>
#include <string>

namespace orbisk {

// What the main window keeps in its settings file between runs: its
// geometry and pane sizes, the folder the tree showed, the file list's mode
// and the user's options. A value of -1 is one the file did not hold.
struct StoredWindow {
    int Top = -1;
    int Left = -1;
    int Width = -1;
    int Height = -1;
    int Panel1Width = -1;
    int Panel5Height = -1;
    std::string StartInFolder;
    int ListMode = 1;
    AppSettings Options;
};

// The main window's settings file: found (or made) where the settings
// location rule says, read once when the window is created and written in
// one replacement when it closes.
class TWindowSettings {
public:
    explicit TWindowSettings(SettingsLocation location);

    // Sets the file up; false when it could not be (then nothing is read or
    // written).
    bool Open();
    // The stored settings; nullopt when there is no file or it cannot be read
    // (the window then takes its defaults). Values the window cannot show are
    // read as their defaults.
    std::optional<StoredWindow> Read() const;
    // Writes every setting in one replacement of the file; throws
    // EIniFileException when they cannot be written (then none is). The file
    // is let go of in any case, so nothing is written twice; settings read
    // from a place this user may not write to are left as they are.
    void Write(const StoredWindow& stored);
    // Lets go of the file unwritten.
    void Forget() { File_.reset(); }
    // The file's path; empty once it is let go of, or when it could not be
    // set up.
    std::string FileName() const { return File_ ? File_->FileName() : std::string(); }

private:
    SettingsLocation Location_;
    std::unique_ptr<TIniFile> File_;
    bool ReadOnly_ = false;
};

} // namespace orbisk

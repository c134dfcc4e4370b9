#pragma once

#include "ToolArguments.h"

#include "export/TafIcon.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orbisk::tool {

// The options that `save` and `save-all` share: what kind of file, at what
// depth, for what display.
struct SaveOptions {
    bool bitmap = false; // --bmp
    int32_t saveColors = 0; // --colors, a "SaveColors" value
    int displayDepth = 32; // --display-depth: a tool has no screen
};

// Adds --colors, --bmp and --display-depth to a command.
void AddSaveOptions(CLI::App& app, SaveOptions& options);


// Writes the icon `icon` holds as a bitmap or an icon file, for the display
// depth given and at the colour count the options stand for (as the window
// works it out from its settings); throws the writers' errors.
void WriteSaved(const TafIcon& icon, const std::string& fileName, const SaveOptions& options);
// The same file's bytes, into a stream.
void WriteSavedStream(OutputStream& stream, const TafIcon& icon, const SaveOptions& options);

} // namespace orbisk::tool

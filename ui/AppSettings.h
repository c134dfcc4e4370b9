#pragma once

#include "core/PassesFilter.h"
#include "export/BatchFileNames.h"

#include <cstdint>
#include <string>

namespace orbisk {

// The user's options, kept in memory for the whole run: read from the
// settings file at start-up, edited by the options dialog, written at close.
// The values here are the defaults.
struct AppSettings {
    // Walk sub-folders too.
    bool WithSub = false;
    // Scan a folder as soon as it is selected in the tree.
    bool AutoScan = true;
    // The extension filter.
    std::string FileExt { DefaultFileExt };
    // Colour count of saved icons: 0 (the display's), 16, 256, 65536,
    // 16777216 or 2147483647.
    int32_t SaveColors = 0;
    // Format of the batch save, a SaveFormat.
    int32_t SaveFileExt = SaveAsIcon;
};

} // namespace orbisk

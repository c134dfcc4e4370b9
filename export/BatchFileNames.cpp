#include "export/BatchFileNames.h"

#include "platform/files/NativePath.h"

namespace orbisk {

const char* SaveFileExtension(SaveFormat format)
{
    switch (format) {
    case SaveAsIcon:
        return ".ico";
    case SaveAsBitmap:
        return ".bmp";
    default:
        return nullptr;
    }
}

std::string BatchSaveFileName(const std::string& folder, int n, const std::string& extension)
{
    return JoinPath(folder, BatchSaveName(n, extension));
}

std::string BatchSaveName(int n, const std::string& extension) { return "icon" + std::to_string(n) + extension; }

std::string BatchSaveErrorLine(const std::string& source, const std::string& destination)
{
    return "Error saving " + source + " to " + destination;
}

} // namespace orbisk

namespace orbisk {

std::string BatchSyncErrorLine(const std::string& folder, const std::error_code& error)
{
    return "Error writing icons to " + folder + ": " + error.message();
}

} // namespace orbisk

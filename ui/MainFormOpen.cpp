// Opening a file or folder named when the program starts.

#include "ui/MainForm.h"

#include "platform/files/NativePath.h"

#include <filesystem>
#include <system_error>

namespace orbisk {

void TMainFrm::OpenPath(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        OpenTreeOn(path);
        return;
    }
    OpenTreeOn(SplitFilePath(path).folder);
    BeginScan(path, true);
}

void TMainFrm::OpenTreeOn(const std::string& folder) { StartFolder_ = folder; }

} // namespace orbisk

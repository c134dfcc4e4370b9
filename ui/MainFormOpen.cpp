// Opening a file or folder named when the program starts.

#include "ui/MainForm.h"

#include "platform/files/NativePath.h"
#include "ui/ErrorGuard.h"

#include <filesystem>
#include <system_error>

namespace orbisk {

void TMainFrm::OpenPath(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        Panes_->OpenTreeOn(path);
        return;
    }
    Panes_->OpenTreeOn(SplitFilePath(path).folder);
    // Started once the window is up, so that the grid lays the icons out at
    // its real size from the first.
    QMetaObject::invokeMethod(
        this, [this, path] { Guarded([&] { BeginScan(path, true); }); }, Qt::QueuedConnection);
}

} // namespace orbisk

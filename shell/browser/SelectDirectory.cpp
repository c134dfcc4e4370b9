#include "shell/browser/SelectDirectory.h"

#include "platform/files/FolderPath.h"
#include "platform/files/NativePath.h"
#include "shell/browser/SelectDirDlg.h"

namespace orbisk {

namespace {

// The folder the browser opens at.
std::string InitialFolder(const std::string& directory)
{
    const std::string current = CurrentFolderPath();
    if (directory.empty())
        return current;
    const std::string full = directory.front() == '/' ? directory : JoinPath(current, directory);
    const std::optional<std::string> folder = NormalizePath(full);
    return folder && CanEnterFolder(*folder) ? *folder : current;
}

} // namespace

bool SelectDirectory(std::string& directory, SelectDirOptions options, int helpContext, QWidget* parent)
{
    TSelectDirDlg dlg(InitialFolder(directory), parent);
    dlg.SetAllowCreate(options.AllowCreate);
    dlg.SetPrompt(options.Prompt);
    dlg.SetHelpContext(helpContext);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    std::string chosen = dlg.ChosenFolder();
    if (options.PerformCreate) {
        if (chosen.empty())
            throw EInOutError("Unable to create directory");
        CreateFolderPath(chosen);
    }
    directory = std::move(chosen);
    return true;
}

} // namespace orbisk

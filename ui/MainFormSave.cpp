// The main window's save commands: Save icon writes the current icon under a
// name the user chooses; Save selected icons writes every marked icon into a
// folder, on a worker, behind the progress dialog.

#include "ui/MainForm.h"

#include "core/ScanEngine.h"
#include "export/BitmapExport.h"
#include "export/SaveColors.h"
#include "export/SaveIconName.h"
#include "export/TafIcon.h"
#include "platform/pixels/Display.h"
#include "shell/browser/SelectDirectory.h"
#include "ui/DrawGrid.h"
#include "ui/SaveDialog.h"
#include "ui/SaveMarkedDlg.h"

#include <QFile>
#include <QPointer>

namespace orbisk {

void TMainFrm::SaveIconExecute()
{
    StopBackgroundWork();
    if (!ScanEngine_ || !WorkIcon_)
        return;
    const TIconList& icons = ScanEngine_->Icons();
    const long long index = Grid_->CurrentIconIndex();
    if (icons.empty() || index >= (long long)icons.size())
        return;
    const IconEntry& entry = icons[std::size_t(index)];
    const TfileList& files = ScanEngine_->Files();
    const std::string file = entry.FileIndex >= 0 && std::size_t(entry.FileIndex) < files.size()
        ? files[std::size_t(entry.FileIndex)].FileName
        : std::string();
    const QString proposed = QFile::decodeName(QByteArray::fromStdString(ProposedIconFileName(file, entry.IconIndex)));
    const auto chosen = ExecuteSaveDialog(this, proposed, SaveFilterIndex_, SaveDialogFolder_);
    if (!chosen)
        return;
    SaveFilterIndex_ = chosen->FilterIndex;
    const QString extension = SaveDialogExtension(chosen->FilterIndex);
    if (extension.isEmpty())
        return;
    const auto named = SaveFileNameWithExtension(chosen->FileName, extension);
    if (!named)
        return;
    const std::string& fileName = *named;
    // The format follows the filter entry alone, whatever the name's extension.
    // The entry lends its handle for the write and keeps owning it.
    const TafIcon icon(entry.Handle);
    if (SaveDialogFormat(chosen->FilterIndex) == SaveAsIcon)
        TafIcon::WriteIconFile(icon, fileName, SaveColorCount_);
    else
        WriteBitmapFile(icon, fileName, DisplayBits_);
}

void TMainFrm::SaveSelectedExecute()
{
    StopBackgroundWork();
    // The marks the batch cleared show, however the command ends, unless the
    // window was closed for good meanwhile (a signal to end the program).
    const QPointer<TMainFrm> self(this);
    struct Repaint {
        const QPointer<TMainFrm>& window;
        ~Repaint()
        {
            if (window)
                window->Grid().Repaint();
        }
    } repaint { self };
    if (!ScanEngine_ || !ScanEngine_->Icons().AnyIconMarked())
        return;
    std::string folder;
    if (!SelectDirectory(folder, { .AllowCreate = true, .PerformCreate = true, .Prompt = true }, 0, this))
        return;
    SaveMarkedJob job { folder, Settings_.SaveFileExt, SaveColorCount_, DisplayBits_, {}, {} };
    SaveMarkedDlg_->Execute(std::move(job), ScanEngine_->Icons(), ScanEngine_->Files(), ScanEngine_->Folders());
}

} // namespace orbisk

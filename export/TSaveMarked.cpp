#include "export/TSaveMarked.h"

#include "core/IconSource.h"
#include "export/BatchFileNames.h"
#include "export/BitmapExport.h"

namespace orbisk {

TSaveMarked::TSaveMarked(SaveMarkedJob job, TIconList& icons, const TfileList& files, const FolderList& folders,
    std::shared_ptr<SaveMarkedMailbox> mailbox)
    : job_(std::move(job))
    , icons_(icons)
    , files_(files)
    , folders_(folders)
    , mailbox_(std::move(mailbox))
{
}

void TSaveMarked::Run(JobControl& control)
{
    SaveMarkedMailbox& mailbox = *mailbox_;
    mailbox.SetJob(control);
    std::size_t marked = 0;
    if (!control.Through([&] { marked = icons_.CountMarkedIcons(); }))
        return;
    if (marked > 0) {
        mailbox.PostMaximum(marked);
        NumberedFileWriter files(job_.Folder);
        if (!SaveMarkedIcons(control, files))
            return;
        // One sync for the whole batch, not two for each file. The files
        // already stand under their names, so a failure here may still lose
        // them: it is reported, never taken for success.
        const std::error_code synced = job_.MakeDurable ? job_.MakeDurable(files) : files.MakeDurable();
        if (synced)
            errors_.push_back(BatchSyncErrorLine(job_.Folder, synced));
        if (!errors_.empty()) {
            std::string text;
            for (const std::string& line : errors_)
                text += line + "\n";
            errors_.clear();
            mailbox.PostErrorsAndWait(std::move(text));
        }
    }
    // Also when nothing was marked any more: the dialog waits for this.
    mailbox.PostClose();
}

bool TSaveMarked::SaveMarkedIcons(JobControl& control, NumberedFileWriter& files)
{
    std::size_t count = 0;
    if (!control.Through([&] { count = icons_.size(); }))
        return false;
    int n = 1;
    for (std::size_t i = 0; i < count && !control.Cancelled(); ++i) {
        UniqueIcon handle;
        std::string source;
        bool marked = false;
        const bool attached = control.Through([&] {
            const IconEntry& entry = icons_[i];
            marked = entry.Marked.load() != 0;
            if (!marked)
                return;
            handle.reset(CopyIcon(entry.Handle));
            source = Source(entry);
        });
        if (!attached)
            return false;
        if (!marked)
            continue;
        SaveMarkedIcon(files, handle.get(), source, n);
        if (!control.Through([&] { icons_[i].Marked.store(0); }))
            return false;
        mailbox_->PostStep();
        ++n;
    }
    return true;
}

void TSaveMarked::SaveMarkedIcon(NumberedFileWriter& files, HICON handle, const std::string& source, int n)
{
    const char* extension = SaveFileExtension(SaveFormat(job_.SaveFileExt));
    const std::string name = BatchSaveName(n, extension ? extension : "");
    const std::string destination = files.PathOf(name);
    const TafIcon icon(handle);
    try {
        // A format the batch does not know is an error, not a silent success.
        if (!extension)
            throw EInvalidGraphic();
        files.Write(name, [&](OutputStream& file) { WriteFile(file, icon); });
    } catch (const std::exception&) {
        errors_.push_back(BatchSaveErrorLine(source, destination));
    }
}

void TSaveMarked::WriteFile(OutputStream& file, const TafIcon& icon) const
{
    if (job_.Write)
        job_.Write(file, icon);
    else if (job_.SaveFileExt == SaveAsIcon)
        TafIcon::WriteIconStream(file, icon.Handle(), job_.ColorCount);
    else
        WriteBitmapStream(file, icon, job_.DisplayBits);
}

std::string TSaveMarked::Source(const IconEntry& entry) const
{
    return IconSourceName(folders_, files_, entry);
}

} // namespace orbisk

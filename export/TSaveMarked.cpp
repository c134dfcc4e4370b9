#include "export/TSaveMarked.h"

#include "export/BatchFileNames.h"
#include "export/BitmapExport.h"
#include "platform/files/NativePath.h"

namespace orbisk {

TSaveMarked::TSaveMarked(SaveMarkedJob job, TIconList& icons, const TfileList& files, const FolderList& folders,
    SaveMarkedMailbox& mailbox, const std::atomic<bool>& cancelled)
    : job_(std::move(job))
    , icons_(icons)
    , files_(files)
    , folders_(folders)
    , mailbox_(mailbox)
    , cancelled_(cancelled)
    , thread_([this] { Run(); })
{
}

TSaveMarked::~TSaveMarked() { Join(); }

void TSaveMarked::Run()
{
    if (const std::size_t marked = icons_.CountMarkedIcons(); marked > 0) {
        mailbox_.PostMaximum(marked);
        NumberedFileWriter files(job_.Folder);
        int n = 1;
        const std::size_t count = icons_.size();
        for (std::size_t i = 0; i < count && !cancelled_.load(); ++i) {
            std::atomic<uint8_t>& mark = icons_[i].Marked;
            if (!mark.load())
                continue;
            SaveMarkedIcon(files, i, n);
            mark.store(0);
            ++n;
        }
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
            mailbox_.PostErrorsAndWait(std::move(text));
        }
    }
    // Also when nothing was marked any more: the dialog waits for this.
    mailbox_.PostClose();
    const std::lock_guard lock(mutex_);
    finished_ = true;
    finishedCv_.notify_all();
}

void TSaveMarked::SaveMarkedIcon(NumberedFileWriter& files, std::size_t i, int n)
{
    const IconEntry& entry = icons_[i];
    const char* extension = SaveFileExtension(job_.SaveFileExt);
    const std::string name = BatchSaveName(n, extension ? extension : "");
    const std::string destination = files.PathOf(name);
    icon_.SetHandle(entry.Handle);
    try {
        // A format the batch does not know is an error, not a silent success.
        if (!extension)
            throw EInvalidGraphic();
        files.Write(name, [this](OutputStream& file) { WriteFile(file); });
    } catch (const std::exception&) {
        errors_.push_back(BatchSaveErrorLine(Source(entry), destination));
    }
    icon_.ReleaseHandle();
    mailbox_.PostStep();
}

void TSaveMarked::WriteFile(OutputStream& file) const
{
    if (job_.Write)
        job_.Write(file, icon_);
    else if (job_.SaveFileExt == 0)
        TafIcon::WriteIconStream(file, icon_.Handle(), job_.ColorCount);
    else
        WriteBitmapStream(file, icon_, job_.DisplayBits);
}

std::string TSaveMarked::Source(const IconEntry& entry) const
{
    std::string path;
    if (entry.FileIndex >= 0 && std::size_t(entry.FileIndex) < files_.size()) {
        const FileListRec& file = files_[std::size_t(entry.FileIndex)];
        const bool folderKnown = file.FolderIndex >= 0 && std::size_t(file.FolderIndex) < folders_.size();
        path = JoinPath(folderKnown ? folders_[std::size_t(file.FolderIndex)] : std::string(), file.FileName);
    }
    return path + " #" + std::to_string(entry.IconIndex);
}

bool TSaveMarked::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return finishedCv_.wait_for(lock, timeout, [this] { return finished_; });
}

bool TSaveMarked::Finished() const
{
    const std::lock_guard lock(mutex_);
    return finished_;
}

void TSaveMarked::Join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

} // namespace orbisk

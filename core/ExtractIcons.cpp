#include "core/ExtractIcons.h"

#include "core/GridLayout.h"
#include "core/IconSource.h"
#include "core/ReadAhead.h"
#include "core/ScanView.h"
#include "platform/extract/ExtractIcon.h"

#include <climits>
#include <exception>
#include <optional>
#include <string>

namespace orbisk {

namespace {

HICON ExtractOne(const ScanJob& job, const std::string& path, int n)
{
    try {
        return job.hooks.extract ? job.hooks.extract(path, n) : ExtractIcon(path, n);
    } catch (const std::exception&) {
        return nullptr; // treated as the end of the file's icons
    }
}

UniqueIcon NextIcon(IconFile& file, int n)
{
    try {
        return file.Icon(n);
    } catch (const std::exception&) {
        return nullptr; // treated as the end of the file's icons
    }
}

// Appends every icon of one file, from `file` or, when the job replaces the
// extraction, from its hook; returns false when a stop was seen.
bool ExtractFileIcons(const ScanJob& job, IconFile* file, const std::string& path, int32_t fileIndex,
    TIconList& icons, ScanMailbox& mailbox, const std::atomic<bool>& stopped, int fitColumns, int fitRows)
{
    for (int n = 0;; ++n) {
        HICON icon = file ? NextIcon(*file, n).release() : ExtractOne(job, path, n);
        if (!icon)
            return true;
        if (icons.Append(fileIndex, n, icon)) {
            const auto count = static_cast<long long>(icons.size());
            if (GrowsFor(count, fitColumns, fitRows))
                mailbox.PostGrow(count, fitColumns, fitRows);
        }
        if (stopped.load(std::memory_order_relaxed))
            return false;
        if (n == INT_MAX)
            return true;
    }
}

} // namespace

void ExtractIcons(const ScanJob& job, const FolderList& folders, const TfileList& files, TIconList& icons,
    ScanMailbox& mailbox, const std::atomic<bool>& stopped)
{
    const int fitColumns = FitCells(mailbox.GridClientWidth());
    const int fitRows = FitCells(mailbox.GridClientHeight());
    const std::size_t total = files.size();
    const auto pathOf = [&](std::size_t k) { return ScanFilePath(folders, files, k); };
    // Readers prepare the files for the platform's extraction only.
    using FileReadAhead = ReadAhead<IconFile>;
    std::optional<FileReadAhead> readAhead;
    if (!job.hooks.extract && job.ReaderThreads > 0 && total > 1) {
        readAhead.emplace([total] { return total; }, pathOf,
            [](const std::string& path) {
                IconFile file = IconFile::Open(path);
                file.DecodeAhead(IconsAheadPerFile);
                return file;
            },
            FileReadAhead::Options { job.ReaderThreads, FilesAhead,
                job.hooks.readAheadAtOnce ? FileReadAhead::Start::AtOnce : FileReadAhead::Start::WhenWaiting,
                BytesAhead, [](const IconFile& file) { return file.HeldBytes(); } });
    }
    // The first file whose images passed the cap, told once the scan ends.
    std::string leftOut;
    for (std::size_t k = 0; k < total; ++k) {
        const std::string path = pathOf(k);
        IconFile file;
        if (readAhead) {
            std::optional<IconFile> prepared = readAhead->Take(k, stopped);
            if (!prepared)
                break; // stopped while the file was being read
            file = std::move(*prepared);
        }
        if (file)
            file.Refresh(); // read afresh if it changed since the reader read it
        else if (!job.hooks.extract)
            file = IconFile::Open(path);
        const bool finished = ExtractFileIcons(job, job.hooks.extract ? nullptr : &file, path, int32_t(k), icons,
            mailbox, stopped, fitColumns, fitRows);
        if (file.TooManyImages() && leftOut.empty())
            leftOut = path;
        file = IconFile();
        mailbox.PostStatus(ScanView::ProgressPanel, std::to_string(k * 100 / total) + "%");
        mailbox.PostStatus(ScanView::DetailPanel, path);
        if (!finished || stopped.load(std::memory_order_relaxed))
            break;
    }
    mailbox.PostStatus(ScanView::ProgressPanel, std::to_string(icons.size()) + " icon(s) loaded");
    mailbox.PostStatus(ScanView::DetailPanel, "");
    if (!leftOut.empty())
        mailbox.PostStatus(ScanView::DetailPanel, "Some icons of " + leftOut + " were left out: too many images");
}

} // namespace orbisk

#include "core/CollectFiles.h"

#include "core/FolderListing.h"
#include "core/ReadAhead.h"
#include "core/ScanView.h"
#include "platform/files/NativePath.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <optional>
#include <unordered_set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

namespace {

// The scan lists index with signed 32-bit numbers.
constexpr std::size_t MaxListSize = INT32_MAX;

void CollectOneFile(const ScanJob& job, FolderList& folders, TfileList& files, ScanMailbox& mailbox)
{
    SplitPath split = SplitFilePath(job.ScanRoot);
    const std::string& folder = folders.emplace_back(std::move(split.folder));
    const FileListRec& rec = files.emplace_back(FileListRec { 0, std::move(split.name) });
    mailbox.PostCaption("File: " + JoinPath(folder, rec.FileName));
}

class FolderWalk {
public:
    FolderWalk(const ScanJob& job, FolderList& folders, TfileList& files, ScanMailbox& mailbox,
        const std::atomic<bool>& stopped)
        : job_(job)
        , folders_(folders)
        , files_(files)
        , mailbox_(mailbox)
        , stopped_(stopped)
    {
    }

    void Run()
    {
        const std::string& root = folders_.emplace_back(job_.ScanRoot);
        mailbox_.PostStatus(ScanView::DetailPanel, "Scanning " + root);
        mailbox_.PostCaption("Folder: " + root);
        std::optional<FolderReadAhead> readAhead;
        if (job_.ReaderThreads > 0)
            readAhead.emplace([this] { return folders_.size(); }, [this](std::size_t i) { return folders_[i]; },
                [withSub = job_.WithSub, fileExt = job_.FileExt](const std::string& path) {
                    return ListFolder(path, withSub, fileExt, MaxEntriesAhead);
                },
                FolderReadAhead::Options { job_.ReaderThreads, FoldersAhead,
                    job_.hooks.readAheadAtOnce ? FolderReadAhead::Start::AtOnce : FolderReadAhead::Start::WhenWaiting,
                    0, {} });
        for (std::size_t i = 0; i < folders_.size() && !stopped_.load(std::memory_order_relaxed); ++i) {
            if (!readAhead) {
                SearchFolder(i);
                continue;
            }
            std::optional<FolderListing> listing = readAhead->Take(i, stopped_);
            if (!listing)
                break; // stopped while the folder was being read
            if (listing->listed)
                ReplayListing(i, *listing);
            else
                SearchFolder(i);
        }
    }

private:
    using FolderReadAhead = ReadAhead<FolderListing>;

    DIR* OpenFolder(std::size_t i);
    void SearchFolder(std::size_t i);
    void ReplayListing(std::size_t i, const FolderListing& listing);
    void HandleEntry(std::size_t i, const char* name, EntryKind kind);
    void PostFileCount();

    const ScanJob& job_;
    FolderList& folders_;
    TfileList& files_;
    ScanMailbox& mailbox_;
    const std::atomic<bool>& stopped_;
    std::unordered_set<FolderId, FolderIdHash> visited_;
};

DIR* FolderWalk::OpenFolder(std::size_t i)
{
    // The root may be a link the user chose; a queued folder was a real folder
    // when listed, and if it has been swapped for a link since, it is not followed.
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (i > 0 ? O_NOFOLLOW : 0);
    const int fd = ::open(folders_[i].c_str(), flags);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !visited_.insert({ st.st_dev, st.st_ino }).second) {
        ::close(fd);
        return nullptr;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir)
        ::close(fd);
    return dir;
}

void FolderWalk::SearchFolder(std::size_t i)
{
    DIR* dir = OpenFolder(i);
    if (!dir)
        return;
    const auto handle = [&](const dirent& entry) {
        HandleEntry(i, entry.d_name, ClassifyEntry(::dirfd(dir), entry, job_.WithSub, job_.FileExt));
    };
    // The first entry is handled without a count; after every later attempt
    // to fetch an entry, found or not, the count is shown.
    if (const dirent* first = ::readdir(dir)) {
        handle(*first);
        while (!stopped_.load(std::memory_order_relaxed)) {
            const dirent* next = ::readdir(dir);
            if (next)
                handle(*next);
            PostFileCount();
            if (!next)
                break;
        }
    }
    ::closedir(dir);
}

// The same steps as SearchFolder, over the entries a reader listed.
void FolderWalk::ReplayListing(std::size_t i, const FolderListing& listing)
{
    if (!visited_.insert(listing.id).second || listing.entries.empty())
        return;
    const std::size_t n = listing.entries.size();
    HandleEntry(i, listing.entries[0].name.c_str(), listing.entries[0].kind);
    for (std::size_t next = 1; !stopped_.load(std::memory_order_relaxed); ++next) {
        if (next < n)
            HandleEntry(i, listing.entries[next].name.c_str(), listing.entries[next].kind);
        PostFileCount();
        if (next >= n)
            break;
    }
}

void FolderWalk::HandleEntry(std::size_t i, const char* name, EntryKind kind)
{
    switch (kind) {
    case EntryKind::Folder:
        if (folders_.size() < MaxListSize)
            folders_.emplace_back(JoinPath(folders_[i], name));
        break;
    case EntryKind::File:
        if (files_.size() < MaxListSize)
            files_.emplace_back(FileListRec { int32_t(i), name });
        break;
    case EntryKind::Skip:
        break;
    }
    if (job_.hooks.afterEntry)
        job_.hooks.afterEntry();
}

void FolderWalk::PostFileCount()
{
    char text[32];
    char* end = std::to_chars(text, text + 20, files_.size()).ptr;
    std::memcpy(end, " files", 6);
    mailbox_.PostStatus(ScanView::FilesPanel, std::string_view(text, std::size_t(end - text) + 6));
}

} // namespace

void CollectFiles(const ScanJob& job, FolderList& folders, TfileList& files, ScanMailbox& mailbox,
    const std::atomic<bool>& stopped)
{
    if (job.OneFileMode)
        CollectOneFile(job, folders, files, mailbox);
    else
        FolderWalk(job, folders, files, mailbox, stopped).Run();
}

} // namespace orbisk

#include "core/CollectFiles.h"

#include "platform/files/NativePath.h"
#include "core/PassesFilter.h"
#include "core/ScanView.h"

#include <charconv>
#include <climits>
#include <cstring>
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

// A directory entry sorted into what the walk does with it.
enum class EntryKind { Skip, Folder, File };

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
        for (std::size_t i = 0; i < folders_.size() && !stopped_.load(std::memory_order_relaxed); ++i)
            SearchFolder(i);
    }

private:
    DIR* OpenFolder(std::size_t i);
    void SearchFolder(std::size_t i);
    void HandleEntry(DIR* dir, std::size_t i, const dirent& entry);
    EntryKind Classify(DIR* dir, const dirent& entry) const;
    void PostFileCount();

    // Folders are told apart by device and inode, so a folder reached twice
    // (a bind mount of an ancestor, say) is walked only the first time.
    struct FolderId {
        dev_t dev;
        ino_t ino;
        bool operator==(const FolderId&) const = default;
    };
    struct FolderIdHash {
        std::size_t operator()(const FolderId& id) const { return std::hash<ino_t>()(id.ino) * 31 + std::hash<dev_t>()(id.dev); }
    };

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
    // The first entry is handled without a count; after every later attempt
    // to fetch an entry, found or not, the count is shown.
    if (const dirent* first = ::readdir(dir)) {
        HandleEntry(dir, i, *first);
        while (!stopped_.load(std::memory_order_relaxed)) {
            const dirent* next = ::readdir(dir);
            if (next)
                HandleEntry(dir, i, *next);
            PostFileCount();
            if (!next)
                break;
        }
    }
    ::closedir(dir);
}

EntryKind FolderWalk::Classify(DIR* dir, const dirent& entry) const
{
    unsigned char type = entry.d_type;
    struct stat st;
    if (type == DT_UNKNOWN) {
        // Some file systems do not fill d_type; only then is the entry looked at.
        if (::fstatat(::dirfd(dir), entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Skip; // gone since it was listed
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
    }
    if (type == DT_DIR)
        return job_.WithSub ? EntryKind::Folder : EntryKind::Skip;
    if (!PassesFilter(entry.d_name, job_.FileExt))
        return EntryKind::Skip;
    if (type == DT_LNK && ::fstatat(::dirfd(dir), entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode))
        return EntryKind::Skip; // a link to a folder
    return EntryKind::File;
}

void FolderWalk::HandleEntry(DIR* dir, std::size_t i, const dirent& entry)
{
    const char* name = entry.d_name;
    if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
        switch (Classify(dir, entry)) {
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

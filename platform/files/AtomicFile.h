#pragma once

#include <cstddef>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <system_error>

namespace orbisk {

// A file replaced in full by new contents. Where it can, the new contents go
// to a temporary file in the target's folder, and Commit() flushes it to the
// disk and renames it over the target, so that a crash, a full disk or a
// reader at the wrong moment sees either the old file or the new one, never a
// torn one. An AtomicFile destroyed without a successful Commit() removes its
// temporary file and leaves the target as it was.
//
// A replaced file keeps what the user set on it: its owner, group and
// permission bits, its other hard links, and a symbolic link stays a link
// (the file it points to is written; a link to a name that does not exist
// yet is written through only when the caller allows it).
// Where a rename cannot keep that (the target has other links, or a new file
// cannot be given the target's owner), or where the folder takes no new file
// but the target itself may be written, the target is overwritten in place
// instead: the new contents are held in memory and written over the old ones
// only in Commit(), which then cuts the file to their length. Such a write
// is not atomic: if it fails half-way, the file holds part of each.
//
// What may not be written is never replaced: a file the user's permissions
// or the file system refuse, a file marked read-only (no write permission
// bit at all; this holds for root too), a folder or a special file.
//
// A file of a batch, named by the program itself in a folder the user chose,
// is opened with OpenIn() instead: relative to a descriptor of that folder,
// so that a folder swapped for a link half-way cannot send the writes
// elsewhere, and only as a plain file. A name that is a link (to anything),
// a folder or a special file is refused, and a file with other hard links is
// replaced by a new one rather than written through.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // What a link to a name that does not exist is: a file to create (the
    // settings file, kept where a link says) or a failure (a name the user
    // picked to save over).
    enum class DanglingLink { Refuse, Create };

    // Gets ready to replace path: checks the target and creates the
    // temporary file (or opens the target for writing in place). Fails, and
    // changes nothing, for a target that may not be written (see above), a
    // loop of links, a link to nothing unless allowed, or a missing target
    // whose folder cannot take it.
    std::error_code Open(const std::string& path, DanglingLink dangling = DanglingLink::Refuse);
    // The same for the file name (no "/") in the folder open as folderFd,
    // which must stay open until the file is committed or discarded. Fails
    // with ELOOP for a link, EISDIR for a folder, EINVAL for a special file
    // or a name that is not a plain name.
    std::error_code OpenIn(int folderFd, const std::string& name);
    // Appends bytes; returns how many were stored (fewer on a full disk).
    std::size_t Write(const void* data, std::size_t size);
    // Flushes what was written to the disk and closes the temporary file; on
    // failure it is removed. In place, the bytes wait for Commit(). Commit()
    // flushes by itself when needed.
    std::error_code Flush();
    // Puts what was written in place of the target.
    std::error_code Commit();
    // Removes the temporary file; the target stays as it was.
    void Discard() noexcept;
    // Leaves making the new file durable to the caller: Flush() and Commit()
    // then sync neither the file nor its folder, and the caller syncs once
    // for a whole batch of files (SyncFileSystem). Until then a crash may
    // lose the new contents; a failed write still never reaches the target.
    void DeferSync() { deferSync_ = true; }

    // The file that Commit() replaces (a link's target; for OpenIn() the
    // name in the folder), whether it existed
    // when the file was opened, and whether it is written in place.
    const std::string& Target() const { return target_; }
    bool TargetExists() const { return targetExists_; }
    bool InPlace() const { return inPlace_; }
    // The temporary file while there is one (for OpenIn(), in the folder);
    // empty otherwise.
    const std::string& TemporaryPath() const { return temp_; }

private:
    std::error_code OpenExisting(const struct stat& st);
    std::error_code OpenTemporary(const struct stat* replaced);
    std::error_code CommitInPlace();
    void SyncFolder() const;

    std::string target_;
    std::string temp_; // empty once committed or discarded
    std::string pending_; // in place: the new contents
    bool targetExists_ = false;
    bool inPlace_ = false;
    bool deferSync_ = false;
    // Names are relative to this folder: AT_FDCWD for Open(), the caller's
    // folder for OpenIn(), which also writes plain files only.
    int folderFd_ = AT_FDCWD;
    bool plainOnly_ = false;
    int fd_ = -1; // the temporary file, or in place the target
};

// A folder held open, to write the files of a batch into it (see
// AtomicFile::OpenIn) whatever becomes of its path meanwhile.
class OutputFolder {
public:
    OutputFolder() = default;
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // Opens path, which must be a folder; a link the user gave as the
    // folder itself is followed.
    std::error_code Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    // Makes every file written on the folder's file system durable (syncfs).
    std::error_code Sync() const;

private:
    int fd_ = -1;
};

// Makes every file written on the file system that holds path durable, with
// their names (syncfs): the one sync that ends a batch written with
// DeferSync().
std::error_code SyncFileSystem(const std::string& path);

// Replaces the contents of the file at path with bytes through an AtomicFile.
// On failure the error is returned; the old file is left as it was, except
// after a failed write in place.
// A link to a name that does not exist yet creates that file.
std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes);

} // namespace orbisk

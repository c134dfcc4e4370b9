#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

namespace orbisk {

// A file that is replaced in full or not at all. The new contents go to a
// temporary file in the target's folder; Commit() flushes it to the disk and
// renames it over the target, so that a crash, a full disk or a reader at the
// wrong moment sees either the old file or the new one, never a torn one.
// An AtomicFile destroyed without a successful Commit() removes its temporary
// file and leaves the target as it was.
//
// Replacing keeps what the user set on the old file: its permission bits,
// and a symbolic link stays a link (the file it points to is replaced).
// Special files are never replaced: renaming over a device or a FIFO would
// destroy it.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file for path. Fails for a name that is a folder
    // or a special file, or whose folder cannot take a new file.
    std::error_code Open(const std::string& path);
    // Appends bytes; returns how many were stored (fewer on a full disk).
    std::size_t Write(const void* data, std::size_t size);
    // Flushes what was written to the disk and closes the temporary file;
    // on failure it is removed. Commit() does this itself when needed.
    std::error_code Flush();
    // Puts what was written in place of the target.
    std::error_code Commit();
    // Removes the temporary file; the target stays as it was.
    void Discard() noexcept;

    // The file that Commit() replaces (a link's target), and whether it
    // existed when the file was opened.
    const std::string& Target() const { return target_; }
    bool TargetExists() const { return targetExists_; }

private:
    std::string target_;
    std::string temp_; // empty once committed or discarded
    bool targetExists_ = false;
    int fd_ = -1;
};

// Replaces the contents of the file at path with bytes through an AtomicFile.
// On failure the old file is left as it was and the error is returned.
std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes);

} // namespace orbisk

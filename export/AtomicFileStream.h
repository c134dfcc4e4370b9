#pragma once

#include "export/OutputStream.h"

#include <string>

namespace orbisk {

// A file could not be created. The message names the file as the caller
// gave it.
class EFCreateError : public Exception {
public:
    explicit EFCreateError(const std::string& fileName)
        : Exception("Cannot create file " + fileName)
    {
    }
};

// A file that is written in full or not at all. The bytes go to a
// temporary file in the target's folder; Commit() syncs it to disk and
// renames it over the target. A stream destroyed without a successful
// Commit() removes its temporary file, so a failed save never leaves an
// empty or partial file and never harms an existing file of that name.
//
// Replacing keeps what the user set on the old file: its permissions, and a
// symbolic link stays a link (the file it points to is replaced).
class AtomicFileStream final : public OutputStream {
public:
    // Throws EFCreateError when the file cannot be created: a missing or
    // unwritable folder, a name that is a folder or a special file, or an
    // existing file that is write-protected.
    explicit AtomicFileStream(const std::string& fileName);
    ~AtomicFileStream() override;

    AtomicFileStream(const AtomicFileStream&) = delete;
    AtomicFileStream& operator=(const AtomicFileStream&) = delete;

    // Puts the written bytes in place of the target. Throws EWriteError when
    // they cannot be synced to disk, EFCreateError when the rename fails.
    void Commit();

protected:
    std::size_t Write(const void* data, std::size_t size) override;

private:
    void Discard() noexcept;

    std::string fileName_; // as given, for messages
    std::string target_; // the file that is replaced
    std::string temp_; // empty once committed or discarded
    int fd_ = -1;
};

} // namespace orbisk

#pragma once

#include "export/OutputStream.h"
#include "platform/files/AtomicFile.h"

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

// An output stream onto a file that is written in full or not at all (see
// AtomicFile): a failed save never leaves an empty or partial file and never
// harms an existing file of that name.
class AtomicFileStream final : public OutputStream {
public:
    // Throws EFCreateError when the file cannot be created: a missing or
    // unwritable folder, a name that is a folder or a special file, or an
    // existing file that is write-protected.
    explicit AtomicFileStream(const std::string& fileName);

    // Puts the written bytes in place of the target. Throws EWriteError when
    // they cannot be synced to disk, EFCreateError when the rename fails.
    void Commit();

protected:
    std::size_t Write(const void* data, std::size_t size) override { return file_.Write(data, size); }

private:
    std::string fileName_; // as given, for messages
    AtomicFile file_;
};

} // namespace orbisk

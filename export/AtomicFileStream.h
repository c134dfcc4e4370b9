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

// When a saved file is made durable: at once, or by the caller once a whole
// batch of files is written (see AtomicFile::DeferSync).
enum class FileSync { AtOnce, Later };

// An output stream onto a file that replaces a file of that name (see
// AtomicFile): a failed save leaves no empty or partial new file, and an
// existing file keeps its owner, permissions, links and, unless it has to be
// written in place, its contents.
class AtomicFileStream final : public OutputStream {
public:
    // Throws EFCreateError when the file cannot be written: a missing
    // folder, a new file in a folder that takes none, a name that is a
    // folder or a special file, or an existing file that is write-protected.
    explicit AtomicFileStream(const std::string& fileName, FileSync sync = FileSync::AtOnce);
    // A plain file called name in folder (see AtomicFile::OpenIn); messages
    // give shownName.
    AtomicFileStream(const OutputFolder& folder, const std::string& name, const std::string& shownName,
        FileSync sync);

    // Puts the written bytes in place of the target. Throws EWriteError when
    // they cannot be stored or synced to disk, EFCreateError when the
    // rename fails.
    void Commit();
    // See AtomicFile::TemporaryPath: the file to remove if the process must
    // end before Commit().
    const std::string& TemporaryPath() const { return file_.TemporaryPath(); }

protected:
    std::size_t Write(const void* data, std::size_t size) override { return file_.Write(data, size); }

private:
    std::string fileName_; // as given, for messages
    AtomicFile file_;
};

} // namespace orbisk

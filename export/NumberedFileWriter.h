#pragma once

#include "export/OutputStream.h"
#include "platform/files/AtomicFile.h"

#include <functional>
#include <string>
#include <system_error>

namespace orbisk {

// Writes the files that the program names itself (a batch's icon1.ico,
// icon2.ico ..., the tool's 1.png, 2.png ...) into one folder the user
// chose. The folder is opened once: every file goes into that folder even
// if its path is swapped for a link half-way. A name is written only as a
// plain file: one that is a link (to anything, also to nothing), a folder or
// a special file is left alone and its write fails, so a link planted in the
// folder never sends icon data into another file. Files are made durable
// together, by one MakeDurable() at the end.
class NumberedFileWriter {
public:
    // A folder that cannot be opened makes every Write() fail.
    explicit NumberedFileWriter(std::string folder);

    const std::string& Folder() const { return folder_; }
    // The path the messages give for name.
    std::string PathOf(const std::string& name) const;

    // Writes what write puts into the stream under name, replacing a plain
    // file of that name. Throws EFCreateError ("Cannot create file <path>")
    // when the name may not be written, EWriteError, and what write throws;
    // a failed file is never left under its name.
    void Write(const std::string& name, const std::function<void(OutputStream&)>& write);

    // One sync of the folder's file system for every file written so far;
    // no error when nothing was written.
    std::error_code MakeDurable() const;
    bool WroteAny() const { return wroteAny_; }

private:
    std::string folder_;
    OutputFolder output_;
    bool wroteAny_ = false;
};

} // namespace orbisk

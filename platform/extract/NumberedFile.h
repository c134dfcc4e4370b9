#pragma once

#include "platform/extract/FileSource.h"
#include "platform/extract/IconNumbering.h"
#include "platform/files/RegularFile.h"

#include <string>

namespace orbisk {

// The numbered directory of the last file a thread asked about, for the
// group readers (ReadIconGroup, ReadCursorGroup): whoever lists a file's
// groups asks for n = 0, 1, 2, ... in turn; keeping the directory makes each
// call cost the reads of one group.
// A file is known again by its path and identity, so a file changed, replaced
// or made unreadable between two calls is read afresh.
class NumberedFile {
public:
    using Opener = Result<ContainerPtr> (*)(ByteSource& source);

    explicit NumberedFile(Opener open)
        : open_(open)
    {
    }

    // Makes this the directory of `file`, opened from path, reading the
    // directory unless it is the one kept. The source reads `file` and must
    // not outlive it.
    FileSource Use(const std::string& path, const RegularFile& file);
    // The file could not be opened: whatever is kept no longer counts.
    void Forget() { valid_ = false; }
    IconNumbering& Numbering() { return numbering_; }

    // This thread's icon groups and cursor groups.
    static NumberedFile& IconsOfThisThread();
    static NumberedFile& CursorsOfThisThread();

private:
    Opener open_;
    bool valid_ = false;
    std::string path_;
    FileIdentity identity_;
    IconNumbering numbering_;
    BlockCache blocks_;
};

} // namespace orbisk

#include "export/AtomicFileStream.h"

#include <unistd.h>

namespace orbisk {

AtomicFileStream::AtomicFileStream(const std::string& fileName)
    : fileName_(fileName)
{
    if (file_.Open(fileName))
        throw EFCreateError(fileName);
    // The user protected the old file; a save does not go around that.
    if (file_.TargetExists() && ::access(file_.Target().c_str(), W_OK) != 0) {
        file_.Discard();
        throw EFCreateError(fileName);
    }
}

void AtomicFileStream::Commit()
{
    if (file_.Flush())
        throw EWriteError();
    if (file_.Commit())
        throw EFCreateError(fileName_);
}

} // namespace orbisk

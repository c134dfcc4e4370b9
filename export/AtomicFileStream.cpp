#include "export/AtomicFileStream.h"

namespace orbisk {

AtomicFileStream::AtomicFileStream(const std::string& fileName)
    : fileName_(fileName)
{
    if (file_.Open(fileName))
        throw EFCreateError(fileName);
}

void AtomicFileStream::Commit()
{
    if (file_.Flush())
        throw EWriteError();
    // In place, Commit() is where the bytes are written.
    const bool inPlace = file_.InPlace();
    if (file_.Commit()) {
        if (inPlace)
            throw EWriteError();
        throw EFCreateError(fileName_);
    }
}

} // namespace orbisk

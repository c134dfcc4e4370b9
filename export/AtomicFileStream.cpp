#include "export/AtomicFileStream.h"

namespace orbisk {

AtomicFileStream::AtomicFileStream(const std::string& fileName, FileSync sync)
    : fileName_(fileName)
{
    if (sync == FileSync::Later)
        file_.DeferSync();
    if (file_.Open(fileName))
        throw EFCreateError(fileName);
}

AtomicFileStream::AtomicFileStream(
    const OutputFolder& folder, const std::string& name, const std::string& shownName, FileSync sync)
    : fileName_(shownName)
{
    if (sync == FileSync::Later)
        file_.DeferSync();
    if (!folder.IsOpen() || file_.OpenIn(folder.Fd(), name))
        throw EFCreateError(shownName);
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

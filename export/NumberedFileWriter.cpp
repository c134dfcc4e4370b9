#include "export/NumberedFileWriter.h"

#include "export/AtomicFileStream.h"
#include "platform/files/NativePath.h"

namespace orbisk {

NumberedFileWriter::NumberedFileWriter(std::string folder)
    : folder_(std::move(folder))
{
    (void)output_.Open(folder_);
}

std::string NumberedFileWriter::PathOf(const std::string& name) const { return JoinPath(folder_, name); }

void NumberedFileWriter::Write(const std::string& name, const std::function<void(OutputStream&)>& write)
{
    AtomicFileStream file(output_, name, PathOf(name), FileSync::Later);
    write(file);
    file.Commit();
    wroteAny_ = true;
}

std::error_code NumberedFileWriter::MakeDurable() const { return wroteAny_ ? output_.Sync() : std::error_code(); }

} // namespace orbisk

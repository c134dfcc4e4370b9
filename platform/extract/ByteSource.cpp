#include "platform/extract/ByteSource.h"

#include "platform/base/ByteReader.h"
#include "platform/extract/ExtractLimits.h"

namespace orbisk {

Result<Bytes> MemorySource::Read(uint64_t offset, uint64_t length)
{
    if (!CheckedRange(offset, length, bytes_.size()))
        return Error { "read past the end of the file" };
    if (length > kMaxReadBytes)
        return Error { "read too large" };
    auto part = bytes_.subspan(offset, length);
    return Bytes(part.begin(), part.end());
}

} // namespace orbisk

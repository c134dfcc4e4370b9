#include "platform/extract/FileSource.h"

#include "platform/base/ByteReader.h"
#include "platform/extract/ExtractLimits.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace orbisk {

namespace {
std::atomic<uint64_t> bytesRead { 0 };

// Reads exactly length bytes unless the file ends first (it may have shrunk
// since it was opened); returns the count read, or -1 on an error.
int64_t PreadFully(int fd, uint8_t* out, uint64_t length, uint64_t offset)
{
    uint64_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd, out + done, length - done, off_t(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += uint64_t(got);
    }
    bytesRead.fetch_add(done, std::memory_order_relaxed);
    return int64_t(done);
}
} // namespace

uint64_t ExtractBytesRead() { return bytesRead.load(std::memory_order_relaxed); }

void BlockCache::Clear()
{
    for (Slot& s : slots_)
        s.valid = false;
}

BlockCache::Slot* BlockCache::Find(uint64_t block)
{
    for (Slot& s : slots_) {
        if (s.valid && s.block == block) {
            s.lastUse = Tick();
            return &s;
        }
    }
    return nullptr;
}

BlockCache::Slot& BlockCache::Victim()
{
    Slot* victim = &slots_[0];
    for (Slot& s : slots_) {
        if (!s.valid)
            return s;
        if (s.lastUse < victim->lastUse)
            victim = &s;
    }
    return *victim;
}

Result<Bytes> FileSource::Read(uint64_t offset, uint64_t length)
{
    if (!CheckedRange(offset, length, size_))
        return Error { "read past the end of the file" };
    if (length > kMaxReadBytes)
        return Error { "read too large" };
    Bytes out(length);
    const bool ok = length <= BlockCache::kBlockSize ? ReadCached(offset, out.data(), length)
                                                     : ReadDirect(offset, out.data(), length);
    if (!ok)
        return Error { "the file could not be read" };
    return out;
}

Result<Bytes> FileSource::Head(uint64_t length)
{
    Bytes out(length < size_ ? length : size_);
    if (!ReadDirect(0, out.data(), out.size()))
        return Error { "the file could not be read" };
    return out;
}

Result<Bytes> FileSource::Peek(uint64_t offset, uint64_t length)
{
    const uint64_t block = offset / BlockCache::kBlockSize;
    const bool oneBlock = length > 0 && (offset + length - 1) / BlockCache::kBlockSize == block;
    if (!oneBlock || cache_.Find(block) || !CheckedRange(offset, length, size_))
        return Read(offset, length);
    Bytes out(length);
    if (!ReadDirect(offset, out.data(), length))
        return Error { "the file could not be read" };
    return out;
}

bool FileSource::ReadDirect(uint64_t offset, uint8_t* out, uint64_t length)
{
    return PreadFully(fd_, out, length, offset) == int64_t(length);
}

BlockCache::Slot* FileSource::Load(uint64_t block)
{
    if (BlockCache::Slot* hit = cache_.Find(block))
        return hit;
    BlockCache::Slot& slot = cache_.Victim();
    slot.valid = false;
    const uint64_t start = block * BlockCache::kBlockSize;
    const uint64_t want = std::min<uint64_t>(BlockCache::kBlockSize, size_ - start);
    const int64_t got = PreadFully(fd_, slot.bytes.data(), want, start);
    if (got != int64_t(want))
        return nullptr;
    slot.block = block;
    slot.length = uint32_t(want);
    slot.lastUse = cache_.Tick();
    slot.valid = true;
    return &slot;
}

bool FileSource::ReadCached(uint64_t offset, uint8_t* out, uint64_t length)
{
    uint64_t done = 0;
    while (done < length) {
        const uint64_t at = offset + done;
        BlockCache::Slot* slot = Load(at / BlockCache::kBlockSize);
        if (!slot)
            return false;
        const uint64_t within = at % BlockCache::kBlockSize;
        if (within >= slot->length)
            return false;
        const uint64_t n = std::min<uint64_t>(length - done, slot->length - within);
        std::memcpy(out + done, slot->bytes.data() + within, n);
        done += n;
    }
    return true;
}

} // namespace orbisk

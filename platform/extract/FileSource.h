#pragma once

#include "platform/extract/ByteSource.h"

#include <array>
#include <cstdint>

namespace orbisk {

// Recently read 4 KB blocks of one file. Resource directories, group records
// and image headers are small and lie close together, so a few blocks serve
// the many small reads a directory walk makes with a handful of preads.
// Valid only for one version of one file (see FileIdentity).
class BlockCache {
public:
    static constexpr uint64_t kBlockSize = 4096;
    static constexpr int kSlots = 8;

    struct Slot {
        uint64_t block = 0;
        uint32_t length = 0;
        uint64_t lastUse = 0;
        bool valid = false;
        std::array<uint8_t, kBlockSize> bytes {};
    };

    void Clear();
    Slot* Find(uint64_t block);
    Slot& Victim();
    uint64_t Tick() { return ++clock_; }

private:
    std::array<Slot, kSlots> slots_ {};
    uint64_t clock_ = 0;
};

// Reads a regular file with pread, small reads through a BlockCache. The
// descriptor and the cache belong to the caller.
class FileSource final : public ByteSource {
public:
    FileSource(int fd, uint64_t size, BlockCache& cache)
        : fd_(fd)
        , size_(size)
        , cache_(cache)
    {
    }
    uint64_t Size() const override { return size_; }
    Result<Bytes> Read(uint64_t offset, uint64_t length) override;
    // Read without the cache: a file that turns out to hold no icons costs
    // only these few bytes.
    Result<Bytes> Head(uint64_t length) override;
    // Served from a cached block when there is one, otherwise read alone.
    Result<Bytes> Peek(uint64_t offset, uint64_t length) override;

private:
    bool ReadDirect(uint64_t offset, uint8_t* out, uint64_t length);
    bool ReadCached(uint64_t offset, uint8_t* out, uint64_t length);
    BlockCache::Slot* Load(uint64_t block);

    int fd_;
    uint64_t size_;
    BlockCache& cache_;
};

// Bytes read from files by the extractor since the program started, all
// threads together (counted by FileSource); the benchmark compares it with
// the files' sizes.
uint64_t ExtractBytesRead();

} // namespace orbisk

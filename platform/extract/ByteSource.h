#pragma once

#include "platform/base/Result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orbisk {

using Bytes = std::vector<uint8_t>;

// Where the decoders get their bytes: a file read piece by piece, or a buffer
// (the fuzz target, tests). Decoders ask only for the ranges they need.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Exactly `length` bytes at `offset`; fails when the range leaves the
    // source, is larger than any decoder may hold, or the read fails.
    virtual Result<Bytes> Read(uint64_t offset, uint64_t length) = 0;
    // Like Read, for a glance at a few bytes that are unlikely to be wanted
    // again (an image header): a file source does not keep what it read.
    virtual Result<Bytes> Peek(uint64_t offset, uint64_t length) { return Read(offset, length); }
    // The first bytes, at most `length` of them (for telling formats apart).
    virtual Result<Bytes> Head(uint64_t length) { return Read(0, length < Size() ? length : Size()); }
};

// A source over bytes already in memory. The bytes must outlive it.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const uint8_t> bytes)
        : bytes_(bytes)
    {
    }
    uint64_t Size() const override { return bytes_.size(); }
    Result<Bytes> Read(uint64_t offset, uint64_t length) override;

private:
    std::span<const uint8_t> bytes_;
};

} // namespace orbisk

#pragma once

#include "platform/base/Result.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace orbisk {

// The one bounds check for untrusted offsets and sizes: [offset, offset +
// length) lies within [0, limit). Written so that no addition can overflow.
constexpr bool CheckedRange(uint64_t offset, uint64_t length, uint64_t limit)
{
    return offset <= limit && length <= limit - offset;
}

// Reads little-endian fields one after another from a span whose size has
// already been checked against the record it holds; used by the record
// decoders only, after ByteReader::Record has handed them such a span.
class FieldCursor {
public:
    explicit FieldCursor(std::span<const uint8_t> bytes)
        : bytes_(bytes)
    {
    }
    uint8_t U8() { return bytes_[pos_++]; }
    uint16_t U16()
    {
        const uint16_t lo = U8();
        return uint16_t(lo | (uint16_t(U8()) << 8));
    }
    uint32_t U32()
    {
        const uint32_t lo = U16();
        return lo | (uint32_t(U16()) << 16);
    }
    int32_t I32() { return int32_t(U32()); }
    void Skip(std::size_t n) { pos_ += n; }

private:
    std::span<const uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// Bounded access to untrusted bytes. Every read says whether it fitted;
// nothing outside this class indexes into file data by hand.
class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> bytes)
        : bytes_(bytes)
    {
    }

    uint64_t Size() const { return bytes_.size(); }
    bool Fits(uint64_t offset, uint64_t length) const { return CheckedRange(offset, length, bytes_.size()); }

    Result<uint8_t> U8(uint64_t offset) const;
    Result<uint16_t> U16(uint64_t offset) const;
    Result<uint32_t> U32(uint64_t offset) const;
    Result<uint32_t> U32BigEndian(uint64_t offset) const;
    Result<std::span<const uint8_t>> Bytes(uint64_t offset, uint64_t length) const;
    Result<ByteReader> Sub(uint64_t offset, uint64_t length) const;

    // Decodes an on-disk record at offset: Rec::size bytes handed to
    // Rec::Decode(FieldCursor&).
    template <class Rec>
    Result<Rec> Record(uint64_t offset) const
    {
        auto bytes = Bytes(offset, Rec::size);
        if (!bytes)
            return bytes.AsError();
        FieldCursor cursor(*bytes);
        return Rec::Decode(cursor);
    }

    // Unchecked access for loops that checked their whole range first.
    std::span<const uint8_t> All() const { return bytes_; }

private:
    std::span<const uint8_t> bytes_;
};

} // namespace orbisk

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

// Reads little-endian fields one after another from the span of one on-disk
// record; used by the record decoders only, through ByteReader::Record. A
// read past the end of the span gives 0 and marks the cursor as overrun, so
// a decoder that is out of step with its record's size never leaves the span.
class FieldCursor {
public:
    constexpr explicit FieldCursor(std::span<const uint8_t> bytes)
        : bytes_(bytes)
    {
    }
    constexpr uint8_t U8()
    {
        if (pos_ >= bytes_.size()) {
            overrun_ = true;
            return 0;
        }
        return bytes_[pos_++];
    }
    constexpr uint16_t U16()
    {
        const uint16_t lo = U8();
        return uint16_t(lo | (uint16_t(U8()) << 8));
    }
    constexpr uint32_t U32()
    {
        const uint32_t lo = U16();
        return lo | (uint32_t(U16()) << 16);
    }
    constexpr int32_t I32() { return int32_t(U32()); }
    constexpr void Skip(std::size_t n)
    {
        if (n > bytes_.size() - pos_) {
            overrun_ = true;
            n = bytes_.size() - pos_;
        }
        pos_ += n;
    }
    // The whole span was read, and nothing beyond it.
    constexpr bool ReadExactly() const { return pos_ == bytes_.size() && !overrun_; }

private:
    std::span<const uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool overrun_ = false;
};

// Whether Rec::Decode reads exactly Rec::size bytes: run over zeros at
// compile time, so that a decoder out of step with its record fails the
// build.
template <class Rec>
consteval bool DecodesExactlyItsSize()
{
    const uint8_t zeros[Rec::size] = {};
    FieldCursor cursor(zeros);
    (void)Rec::Decode(cursor);
    return cursor.ReadExactly();
}

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
    // Rec::Decode(FieldCursor&), which returns the Rec.
    template <class Rec>
    Result<Rec> Record(uint64_t offset) const
    {
        ORBISK_TRY(bytes, Bytes(offset, Rec::size));
        static_assert(sizeof(Rec) == Rec::size, "a record's struct must be as large as the record");
        static_assert(DecodesExactlyItsSize<Rec>(), "a record's decoder must read exactly its size");
        FieldCursor cursor(*bytes);
        auto record = Rec::Decode(cursor);
        // Again for these bytes, should a decoder ever read by its data.
        if (!cursor.ReadExactly())
            return Error { "record decoder out of step with its size" };
        return record;
    }

    // Unchecked access for loops that checked their whole range first.
    std::span<const uint8_t> All() const { return bytes_; }

private:
    std::span<const uint8_t> bytes_;
};

} // namespace orbisk

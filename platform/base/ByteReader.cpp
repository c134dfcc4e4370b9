#include "platform/base/ByteReader.h"

namespace orbisk {

namespace {
constexpr Error outOfBounds { "read past the end of the data" };
}

Result<uint8_t> ByteReader::U8(uint64_t offset) const
{
    if (!Fits(offset, 1))
        return outOfBounds;
    return bytes_[offset];
}

Result<uint16_t> ByteReader::U16(uint64_t offset) const
{
    if (!Fits(offset, 2))
        return outOfBounds;
    return uint16_t(bytes_[offset] | (bytes_[offset + 1] << 8));
}

Result<uint32_t> ByteReader::U32(uint64_t offset) const
{
    if (!Fits(offset, 4))
        return outOfBounds;
    return uint32_t(bytes_[offset]) | (uint32_t(bytes_[offset + 1]) << 8) | (uint32_t(bytes_[offset + 2]) << 16)
        | (uint32_t(bytes_[offset + 3]) << 24);
}

Result<uint32_t> ByteReader::U32BigEndian(uint64_t offset) const
{
    if (!Fits(offset, 4))
        return outOfBounds;
    return (uint32_t(bytes_[offset]) << 24) | (uint32_t(bytes_[offset + 1]) << 16)
        | (uint32_t(bytes_[offset + 2]) << 8) | uint32_t(bytes_[offset + 3]);
}

Result<std::span<const uint8_t>> ByteReader::Bytes(uint64_t offset, uint64_t length) const
{
    if (!Fits(offset, length))
        return outOfBounds;
    return bytes_.subspan(offset, length);
}

Result<ByteReader> ByteReader::Sub(uint64_t offset, uint64_t length) const
{
    ORBISK_TRY(bytes, Bytes(offset, length));
    return ByteReader(*bytes);
}

} // namespace orbisk

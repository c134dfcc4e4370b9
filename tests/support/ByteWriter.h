#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orbisk::test {

// Appends little-endian fields to a growing buffer and patches them later.
class ByteWriter {
public:
    std::size_t Pos() const { return bytes_.size(); }
    void U8(uint32_t v) { bytes_.push_back(uint8_t(v)); }
    void U16(uint32_t v) { U8(v), U8(v >> 8); }
    void U32(uint32_t v) { U16(v), U16(v >> 16); }
    void Append(const std::vector<uint8_t>& b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
    void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void Align(std::size_t n)
    {
        while (bytes_.size() % n)
            bytes_.push_back(0);
    }
    void PatchU16(std::size_t at, uint32_t v) { bytes_[at] = uint8_t(v), bytes_[at + 1] = uint8_t(v >> 8); }
    void PatchU32(std::size_t at, uint32_t v) { PatchU16(at, v), PatchU16(at + 2, v >> 16); }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

} // namespace orbisk::test

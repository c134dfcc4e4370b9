#pragma once

#include "platform/base/Exception.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orbisk {

// A write stored fewer bytes than it was given (a full disk, a file size
// limit).
class EWriteError : public Exception {
public:
    EWriteError()
        : Exception("Stream write error")
    {
    }
};

// Where the writers put a file's bytes.
class OutputStream {
public:
    virtual ~OutputStream() = default;

    // Stores all `size` bytes or throws EWriteError.
    void WriteBuffer(const void* data, std::size_t size)
    {
        if (Write(data, size) != size)
            throw EWriteError();
    }

protected:
    // Stores up to `size` bytes and returns how many it stored.
    virtual std::size_t Write(const void* data, std::size_t size) = 0;
};

// Bytes kept in memory. Clear() keeps the capacity, so writing many icons
// in turn allocates once.
class MemoryStream final : public OutputStream {
public:
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    void Clear() { bytes_.clear(); }

protected:
    std::size_t Write(const void* data, std::size_t size) override
    {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
        return size;
    }

private:
    std::vector<uint8_t> bytes_;
};

} // namespace orbisk

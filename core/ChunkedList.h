#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>

namespace orbisk {

// An ordered list with one writer and any number of readers on other threads.
//
// The scan appends while the window paints, so appends must never move an
// element a reader may be looking at. Elements live in chunks that double in
// size (256, 512, 1024 ... elements) and are never moved by an append; the
// element count is published with release order after the element is complete,
// and readers load it with acquire order. A reader may therefore look at every
// index below size() at any time, without a lock, while the writer appends.
//
// Only appending is concurrent. Truncate and Clear change or free elements and
// must run while nobody else touches the list (the scan has ended).
template <typename T>
class ChunkedList {
public:
    ChunkedList() = default;
    ChunkedList(const ChunkedList&) = delete;
    ChunkedList& operator=(const ChunkedList&) = delete;
    ~ChunkedList() { Clear(); }

    std::size_t size() const { return count_.load(std::memory_order_acquire); }
    bool empty() const { return size() == 0; }

    T& operator[](std::size_t i) { return *Slot(i); }
    const T& operator[](std::size_t i) const { return *Slot(i); }

    // Writer only. Constructs the element in place and then publishes it; if
    // construction or the allocation of a chunk throws, nothing is published.
    template <typename... Args>
    T& emplace_back(Args&&... args)
    {
        const std::size_t n = count_.load(std::memory_order_relaxed);
        const auto [chunk, offset] = Locate(n);
        if (!chunks_[chunk])
            chunks_[chunk] = std::allocator<T>().allocate(ChunkCapacity(chunk));
        T* slot = chunks_[chunk] + offset;
        std::construct_at(slot, std::forward<Args>(args)...);
        count_.store(n + 1, std::memory_order_release);
        return *slot;
    }

    // Destroys the elements from index n on. No concurrent readers.
    void Truncate(std::size_t n)
    {
        std::size_t count = count_.load(std::memory_order_relaxed);
        while (count > n)
            std::destroy_at(Slot(--count));
        count_.store(count, std::memory_order_release);
    }

    // Destroys every element and gives the chunks back. No concurrent readers.
    void Clear()
    {
        Truncate(0);
        for (std::size_t c = 0; c < chunks_.size(); ++c) {
            if (chunks_[c])
                std::allocator<T>().deallocate(chunks_[c], ChunkCapacity(c));
            chunks_[c] = nullptr;
        }
    }

private:
    static constexpr unsigned FirstChunkBits = 8;
    static constexpr std::size_t FirstChunk = std::size_t(1) << FirstChunkBits;

    static constexpr std::size_t ChunkCapacity(std::size_t chunk) { return FirstChunk << chunk; }

    // Chunk c holds the indices [FirstChunk * (2^c - 1), FirstChunk * (2^(c+1) - 1)).
    static std::pair<std::size_t, std::size_t> Locate(std::size_t i)
    {
        const std::size_t shifted = i + FirstChunk;
        const std::size_t chunk = std::size_t(std::bit_width(shifted)) - 1 - FirstChunkBits;
        return { chunk, shifted - (FirstChunk << chunk) };
    }

    T* Slot(std::size_t i) const
    {
        const auto [chunk, offset] = Locate(i);
        return chunks_[chunk] + offset;
    }

    // Written by the writer before the count that makes the chunk's first
    // element visible, so a reader that saw the count sees the pointer.
    std::array<T*, sizeof(std::size_t) * 8 - FirstChunkBits> chunks_ {};
    std::atomic<std::size_t> count_ { 0 };
};

} // namespace orbisk

#include "platform/pixels/IconHandle.h"

#include <xxhash.h>

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace orbisk {

namespace {

// The image behind every handle of one picture. Handles point at its
// IconData base, so drawing and writing read it as before.
struct SharedImage : IconData {
    SharedImage(IconData data, uint64_t h)
        : IconData(std::move(data))
        , hash(h)
    {
    }
    const uint64_t hash;
    // Guarded by the table's mutex when it goes from 0 to 1 (a lookup) and
    // from 1 to 0 (the last release), so an image found in the table is
    // never one being freed.
    std::atomic<long> references { 1 };
};

uint64_t HashIcon(const IconData& icon)
{
    const uint64_t shape = uint64_t(uint32_t(icon.width)) << 33 | uint64_t(uint32_t(icon.height)) << 1
        | uint64_t(icon.monochrome);
    const uint64_t pixels = XXH3_64bits_withSeed(icon.color.data(), icon.color.size() * sizeof(uint32_t), shape);
    return XXH3_64bits_withSeed(icon.mask.data(), icon.mask.size(), pixels);
}

bool SameImage(const IconData& a, const IconData& b)
{
    return a.width == b.width && a.height == b.height && a.monochrome == b.monochrome && a.color == b.color
        && a.mask == b.mask;
}

struct ImageTable {
    std::mutex mutex;
    std::unordered_multimap<uint64_t, SharedImage*> images;
    std::atomic<IconHashFunction> hash { nullptr };
};

ImageTable& Table()
{
    // Never destroyed: handles may be released by static destructors.
    static auto* table = new ImageTable;
    return *table;
}

std::atomic<long> liveIcons { 0 };

SharedImage* Shared(HICON icon) { return static_cast<SharedImage*>(const_cast<IconData*>(icon)); }

} // namespace

HICON CreateIcon(IconData data)
{
    if (data.width <= 0 || data.height <= 0)
        return nullptr;
    const auto pixels = std::size_t(data.width) * std::size_t(data.height);
    if (data.color.size() != pixels
        || data.mask.size() != std::size_t(IconData::MaskStride(data.width)) * std::size_t(data.height))
        return nullptr;
    ImageTable& table = Table();
    const IconHashFunction hashFunction = table.hash.load(std::memory_order_relaxed);
    const uint64_t hash = hashFunction ? hashFunction(data) : HashIcon(data);
    {
        std::lock_guard lock(table.mutex);
        auto [first, last] = table.images.equal_range(hash);
        for (auto it = first; it != last; ++it) {
            if (SameImage(*it->second, data)) {
                it->second->references.fetch_add(1, std::memory_order_relaxed);
                liveIcons.fetch_add(1, std::memory_order_relaxed);
                return it->second;
            }
        }
    }
    data.color.shrink_to_fit();
    data.mask.shrink_to_fit();
    auto* image = new SharedImage(std::move(data), hash);
    std::lock_guard lock(table.mutex);
    // Another thread may have added the same picture meanwhile: one of the
    // two is kept, the other given up.
    auto [first, last] = table.images.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        if (SameImage(*it->second, *image)) {
            delete image;
            it->second->references.fetch_add(1, std::memory_order_relaxed);
            liveIcons.fetch_add(1, std::memory_order_relaxed);
            return it->second;
        }
    }
    table.images.emplace(hash, image);
    liveIcons.fetch_add(1, std::memory_order_relaxed);
    return image;
}

HICON CopyIcon(HICON icon)
{
    if (!icon)
        return nullptr;
    // The caller holds a reference, so the count is above 0 and stays so.
    Shared(icon)->references.fetch_add(1, std::memory_order_relaxed);
    liveIcons.fetch_add(1, std::memory_order_relaxed);
    return icon;
}

bool DestroyIcon(HICON icon)
{
    if (!icon)
        return false;
    SharedImage* image = Shared(icon);
    liveIcons.fetch_sub(1, std::memory_order_relaxed);
    // Not the last reference: no lock needed.
    long count = image->references.load(std::memory_order_relaxed);
    while (count > 1) {
        if (image->references.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel))
            return true;
    }
    ImageTable& table = Table();
    {
        std::lock_guard lock(table.mutex);
        if (image->references.fetch_sub(1, std::memory_order_acq_rel) != 1)
            return true; // found again by CreateIcon meanwhile
        auto [first, last] = table.images.equal_range(image->hash);
        for (auto it = first; it != last; ++it) {
            if (it->second == image) {
                table.images.erase(it);
                break;
            }
        }
    }
    delete image;
    return true;
}

long LiveIconCount() { return liveIcons.load(std::memory_order_relaxed); }

long SharedIconImageCount()
{
    ImageTable& table = Table();
    std::lock_guard lock(table.mutex);
    return long(table.images.size());
}

void SetIconHashFunction(IconHashFunction hash) { Table().hash.store(hash, std::memory_order_relaxed); }

} // namespace orbisk

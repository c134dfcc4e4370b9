#include "platform/namespace/ItemIdList.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <new>

namespace orbisk {
namespace detail {

// One element of a chain. The name's bytes follow the header in the same
// allocation, so an element costs one small block.
struct IdNode {
    std::atomic<uint32_t> refs;
    uint32_t nameSize;
    IdNode* parent; // holds a reference
    IdKind kind;
    uint8_t hints;

    const char* NameData() const { return reinterpret_cast<const char*>(this + 1); }
    std::string_view Name() const { return {NameData(), nameSize}; }
};

namespace {

void Retain(IdNode* node)
{
    if (node)
        node->refs.fetch_add(1, std::memory_order_relaxed);
}

void Release(IdNode* node)
{
    // Iterative, so that freeing a long chain cannot exhaust the stack.
    while (node && node->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        IdNode* parent = node->parent;
        node->~IdNode();
        ::operator delete(node);
        node = parent;
    }
}

// A new node holding one reference, which the caller takes over.
IdNode* MakeNode(IdNode* parent, IdKind kind, std::string_view name, uint8_t hints)
{
    void* raw = ::operator new(sizeof(IdNode) + name.size());
    auto* node = new (raw) IdNode{{1}, uint32_t(name.size()), parent, kind, hints};
    if (!name.empty())
        std::memcpy(reinterpret_cast<char*>(node + 1), name.data(), name.size());
    Retain(parent);
    return node;
}

IdNode* Ancestor(IdNode* node, uint32_t steps)
{
    while (node && steps-- > 0)
        node = node->parent;
    return node;
}

bool SameElement(const IdNode* a, const IdNode* b)
{
    return a->kind == b->kind && a->Name() == b->Name();
}

} // namespace
} // namespace detail

using detail::IdNode;

ItemIdList ItemIdList::Share(IdNode* tail, uint32_t count)
{
    detail::Retain(tail);
    return ItemIdList(tail, count);
}

ItemIdList::ItemIdList(const ItemIdList& other) : tail_(other.tail_), count_(other.count_)
{
    detail::Retain(tail_);
}

ItemIdList::ItemIdList(ItemIdList&& other) noexcept : tail_(other.tail_), count_(other.count_)
{
    other.tail_ = nullptr;
    other.count_ = 0;
}

ItemIdList& ItemIdList::operator=(const ItemIdList& other)
{
    if (this != &other) {
        detail::Retain(other.tail_);
        detail::Release(tail_);
        tail_ = other.tail_;
        count_ = other.count_;
    }
    return *this;
}

ItemIdList& ItemIdList::operator=(ItemIdList&& other) noexcept
{
    if (this != &other) {
        detail::Release(tail_);
        tail_ = other.tail_;
        count_ = other.count_;
        other.tail_ = nullptr;
        other.count_ = 0;
    }
    return *this;
}

ItemIdList::~ItemIdList()
{
    detail::Release(tail_);
}

ItemIdList ItemIdList::Element(IdKind kind, std::string_view name, uint8_t hints)
{
    return ItemIdList(detail::MakeNode(nullptr, kind, name, hints), 1);
}

namespace {
// Never the empty list: that would be the desktop.
constexpr Error TooDeep { "Too many levels below the desktop" };
}

Result<ItemIdList> ItemIdList::Append(IdKind kind, std::string_view name, uint8_t hints) const
{
    if (count_ >= MaxElements)
        return TooDeep;
    // The new element hangs below this list's last one. A relative list
    // stays relative: it counts its own elements and the new one, whatever
    // chain lies above them.
    return ItemIdList(detail::MakeNode(tail_, kind, name, hints), count_ + 1);
}

Result<ItemIdList> ItemIdList::Combine(const ItemIdList& folder, const ItemIdList& relative)
{
    if (relative.IsEmpty())
        return folder;
    if (folder.count_ + relative.count_ > uint32_t(MaxElements))
        return TooDeep;
    // The relative list hangs directly below the folder's chain: share it.
    if (detail::Ancestor(relative.tail_, relative.count_) == folder.tail_)
        return Share(relative.tail_, folder.count_ + relative.count_);
    // Within the limit, checked above, so no step can fail.
    ItemIdList result = folder;
    for (const ElementView& e : relative.Elements())
        result = ItemIdList(detail::MakeNode(result.tail_, e.kind, e.name, e.hints), result.count_ + 1);
    return result;
}

ItemIdList ItemIdList::WithoutLast() const
{
    if (count_ <= 1)
        return {};
    return Share(tail_->parent, count_ - 1);
}

ItemIdList ItemIdList::Last() const
{
    if (count_ == 0)
        return {};
    return Share(tail_, 1);
}

ItemIdList ItemIdList::Prefix(int n) const
{
    if (n <= 0)
        return {};
    if (uint32_t(n) >= count_)
        return *this;
    return Share(detail::Ancestor(tail_, count_ - uint32_t(n)), uint32_t(n));
}

bool ItemIdList::StartsWith(const ItemIdList& prefix) const
{
    return prefix.count_ <= count_ && Prefix(prefix.Count()) == prefix;
}

IdKind ItemIdList::LastKind() const
{
    return tail_->kind;
}

std::string_view ItemIdList::LastName() const
{
    return tail_ ? tail_->Name() : std::string_view();
}

uint8_t ItemIdList::LastHints() const
{
    return tail_ ? tail_->hints : 0;
}

std::vector<ItemIdList::ElementView> ItemIdList::Elements() const
{
    std::vector<ElementView> out(count_);
    const IdNode* node = tail_;
    for (uint32_t i = count_; i-- > 0; node = node->parent)
        out[i] = {node->kind, node->Name(), node->hints};
    return out;
}

bool ItemIdList::operator==(const ItemIdList& other) const
{
    if (count_ != other.count_)
        return false;
    const IdNode* a = tail_;
    const IdNode* b = other.tail_;
    for (uint32_t i = 0; i < count_; ++i, a = a->parent, b = b->parent) {
        if (a == b)
            return true; // the rest of both chains is the same
        if (!detail::SameElement(a, b))
            return false;
    }
    return true;
}

std::size_t ItemIdList::Hash() const
{
    std::size_t h = count_;
    const IdNode* node = tail_;
    for (uint32_t i = 0; i < count_; ++i, node = node->parent)
        h = h * 1099511628211ull ^ (std::hash<std::string_view>{}(node->Name()) + std::size_t(node->kind));
    return h;
}

std::size_t ItemIdList::LastElementBytes() const
{
    return tail_ ? sizeof(IdNode) + tail_->nameSize : 0;
}

} // namespace orbisk

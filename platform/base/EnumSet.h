#pragma once

#include <cstdint>
#include <initializer_list>

namespace orbisk {

// A set of the members of E, an enumeration whose Count members run from 0
// to Count - 1, kept as one bit per member.
template <class E, int Count>
class EnumSet {
    static_assert(Count > 0 && Count < 32, "one bit per member of a 32-bit word");

public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> members)
    {
        for (E m : members)
            Include(m);
    }
    static constexpr EnumSet All()
    {
        EnumSet s;
        s.bits_ = (uint32_t(1) << Count) - 1;
        return s;
    }

    constexpr bool Contains(E m) const { return (bits_ >> int(m)) & 1u; }
    constexpr void Include(E m) { bits_ |= uint32_t(1) << int(m); }
    constexpr void Exclude(E m) { bits_ &= ~(uint32_t(1) << int(m)); }
    constexpr bool IsEmpty() const { return bits_ == 0; }
    constexpr uint32_t Bits() const { return bits_; }
    constexpr bool operator==(const EnumSet&) const = default;

private:
    uint32_t bits_ = 0;
};

} // namespace orbisk
